#pragma once

#include "BrindleQT.h"
#include "CDialogAnswerer.h"

#include <QApplication>
#include <QListWidget>
#include <QObject>
#include <QPushButton>

#include <memory>

// What a window test holds, the window and the answerer of its dialogs, and how it reaches the
// window's parts.
class CWindowTest : public QObject {
protected:
    QListWidget *List() const { return m_pWindow->findChild<QListWidget *>("m_lstSong"); }
    QPushButton *Button(const char *name) const { return m_pWindow->findChild<QPushButton *>(name); }
    // Shown and active, as when the user works in it: key presses reach it.
    void ShowActive() const
    {
        m_pWindow->show();
        QApplication::setActiveWindow(m_pWindow.get());
    }

    std::unique_ptr<CDialogAnswerer> m_pAnswerer;
    std::unique_ptr<BrindleQT> m_pWindow;
};
