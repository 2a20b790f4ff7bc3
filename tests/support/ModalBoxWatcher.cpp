#include "ModalBoxWatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

#include <gtest/gtest.h>

ModalBoxWatcher::ModalBoxWatcher(std::chrono::milliseconds interval)
{
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &ModalBoxWatcher::poll);
    m_timer.start();
}

ModalBoxWatcher::~ModalBoxWatcher()
{
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        ADD_FAILURE() << "a message box is still open: " << box->text().toStdString();
        box->done(QMessageBox::Ok);
    }
}

void ModalBoxWatcher::clear()
{
    m_texts.clear();
    m_captions.clear();
}

void ModalBoxWatcher::poll()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible())
        return;
    m_texts.append(box->text());
    m_captions.append(box->windowTitle());
    if (QAbstractButton* ok = box->button(QMessageBox::Ok))
        ok->click();
    else
        box->done(QMessageBox::Ok);
}
