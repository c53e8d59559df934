#pragma once
// "TAPI Call - PICK UP THE PHONE": a voice call placed through the desktop's
// telephony service, its progress written line by line into "Status".

#include "platform/telephony/telephony_line.h"

#include <QDialog>
#include <QStringList>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qb {

class TfrmTAPICall : public QDialog {
    Q_OBJECT
public:
    // Opens a line on the system bus.
    explicit TfrmTAPICall(QWidget* parent = nullptr);
    TfrmTAPICall(std::unique_ptr<TelephonyLine> line, QWidget* parent);
    ~TfrmTAPICall() override;

    // The number the window calls as soon as it is shown.
    void setNumber(const QString& number) { number_ = number; }
    QStringList statusLines() const;
    const TelephonyLine& line() const { return *line_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    void CallButtonClick();
    void HangupButtonClick();
    void LineReply(bool accepted);
    void LineCallState(const CallEvent& event);
    void LineLost(const QString& why);
    void addStatus(const QString& line);
    void setCalling(bool calling);

    std::unique_ptr<TelephonyLine> line_;
    QString number_;
    bool activated_ = false;
    int lineCount_ = 0;
    QLineEdit* numberEdit_ = nullptr;
    QPushButton* call_ = nullptr;
    QPushButton* hangup_ = nullptr;
    QPlainTextEdit* status_ = nullptr;
};

} // namespace qb
