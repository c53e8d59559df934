#pragma once
// The message boxes every window uses. Tests install a responder that records
// what would have been shown and answers questions, so nothing waits for a click.

#include <QString>
#include <functional>

namespace qb {

enum class MessageKind { Information, Question, QuestionDefaultNo };

struct Message {
    MessageKind kind;
    QString caption;
    QString text;
};

// Returns the answer to a question (true = Yes); ignored for information.
using MessageResponder = std::function<bool(const Message&)>;
void setMessageResponder(MessageResponder responder);

// Caption "Information", information icon, OK.
void showInformation(const QString& text);
// The same box under a caption of the caller's.
void showInformation(const QString& text, const QString& caption);
// Yes and No, Yes the default; true on Yes.
bool askQuestion(const QString& text, const QString& caption);
// Yes and No with No the default.
bool askQuestionDefaultNo(const QString& text, const QString& caption);

} // namespace qb
