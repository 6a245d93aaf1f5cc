#include "CSongNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
const char *const FORMAT = "brindle-names";
const int VERSION = 1;
} // namespace

QString CleanSongName(const QString &name)
{
    QString cleaned = name;
    for (QChar &character : cleaned) {
        if (character.category() == QChar::Other_Control || character.category() == QChar::Separator_Line ||
            character.category() == QChar::Separator_Paragraph)
            character = QLatin1Char(' ');
    }
    return cleaned.simplified();
}

QString CSongNames::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/brindle/names.json");
}

CSongNames::CSongNames(const QString &path) : m_strPath(path) {}

CSongNames::ELoad CSongNames::Load(QJsonObject &names) const
{
    names = QJsonObject();
    QFile file(m_strPath);
    if (!file.exists())
        return LOAD_MISSING;
    if (!file.open(QIODevice::ReadOnly))
        return LOAD_UNREADABLE;
    const QJsonObject document = QJsonDocument::fromJson(file.readAll()).object();
    if (document.value("format").toString() != QLatin1String(FORMAT) ||
        document.value("version").toInt() != VERSION || !document.value("names").isObject())
        return LOAD_UNREADABLE;
    names = document.value("names").toObject();
    return LOAD_OK;
}

bool CSongNames::Save(const QJsonObject &names, QString &errorText) const
{
    const QJsonObject document{{"format", FORMAT}, {"version", VERSION}, {"names", names}};
    const QByteArray content = QJsonDocument(document).toJson();
    QSaveFile file(m_strPath);
    if (QDir().mkpath(QFileInfo(m_strPath).absolutePath()) && file.open(QIODevice::WriteOnly) &&
        file.write(content) == content.size() && file.commit())
        return true;
    errorText = QStringLiteral("The names could not be saved to %1: %2").arg(m_strPath, file.errorString());
    return false;
}

QString CSongNames::Name(const SSongIdentity &identity) const
{
    QJsonObject names;
    if (!identity.IsValid() || Load(names) != LOAD_OK)
        return QString();
    return CleanSongName(names.value(identity.Key()).toString());
}

bool CSongNames::SetName(const SSongIdentity &identity, const QString &name, QString &errorText)
{
    const QString cleaned = CleanSongName(name);
    if (!identity.IsValid()) {
        errorText = QStringLiteral("Only a song can be named");
        return false;
    }
    if (cleaned.size() > MAX_LENGTH) {
        errorText = QStringLiteral("A name has at most %1 characters").arg(MAX_LENGTH);
        return false;
    }
    QJsonObject names;
    if (Load(names) == LOAD_UNREADABLE) {
        errorText =
            QStringLiteral("The names file %1 cannot be read, so it is left as it is: move it away to "
                           "name songs again")
                .arg(m_strPath);
        return false;
    }
    if (names.value(identity.Key()).toString() == cleaned)
        return true;
    if (cleaned.isEmpty())
        names.remove(identity.Key());
    else
        names.insert(identity.Key(), cleaned);
    return Save(names, errorText);
}

void CSongNames::Move(const SSongIdentity &from, const SSongIdentity &to)
{
    QJsonObject names;
    QString errorText;
    if (!from.IsValid() || !to.IsValid() || from == to || Load(names) != LOAD_OK ||
        !names.contains(from.Key()))
        return;
    names.insert(to.Key(), names.take(from.Key()));
    Save(names, errorText);
}

void CSongNames::Forget(const SSongIdentity &identity)
{
    QString errorText;
    if (!Name(identity).isEmpty())
        SetName(identity, QString(), errorText);
}
