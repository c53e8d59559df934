#pragma once
// "Configuration Information": the configuration report, to be copied into a
// support request.

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

namespace qb {

class TConfigurationInfo : public QDialog {
    Q_OBJECT
public:
    explicit TConfigurationInfo(const QStringList& report, QWidget* parent = nullptr);

    QString reportText() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CopyButtonClick();

    QPlainTextEdit* report_ = nullptr;
};

} // namespace qb
