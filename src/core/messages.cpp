#include "core/messages.h"

#include <QApplication>
#include <QMessageBox>

namespace qb {

namespace {
MessageResponder g_responder;

bool show(const Message& m)
{
    if (g_responder)
        return g_responder(m);
    QWidget* owner = QApplication::activeWindow();
    switch (m.kind) {
    case MessageKind::Information:
        QMessageBox::information(owner, m.caption, m.text, QMessageBox::Ok);
        return true;
    case MessageKind::Question:
        return QMessageBox::question(owner, m.caption, m.text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
    case MessageKind::QuestionDefaultNo:
        return QMessageBox::question(owner, m.caption, m.text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    }
    return false;
}
} // namespace

void setMessageResponder(MessageResponder responder) { g_responder = std::move(responder); }

void showInformation(const QString& text) { showInformation(text, QStringLiteral("Information")); }

void showInformation(const QString& text, const QString& caption) { show({MessageKind::Information, caption, text}); }

bool askQuestion(const QString& text, const QString& caption) { return show({MessageKind::Question, caption, text}); }

bool askQuestionDefaultNo(const QString& text, const QString& caption)
{
    return show({MessageKind::QuestionDefaultNo, caption, text});
}

} // namespace qb
