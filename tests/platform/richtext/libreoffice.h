#pragma once
// LibreOffice Writer (libreoffice-writer-nogui, from scripts/test-deps.sh) as
// the witness word processor: it converts files from one format to another.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace qb::richtext::test {

class LibreOffice {
public:
    explicit LibreOffice(const QString& profile) : profile_(profile) {}

    // Converts files into outDir; false with LibreOffice's words when it fails.
    bool convert(const QStringList& files, const QString& format, const QString& outDir, QString& error) const
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("soffice"), QStringList{QStringLiteral("-env:UserInstallation=file://") + profile_,
                                                       QStringLiteral("--headless"), QStringLiteral("--norestore"),
                                                       QStringLiteral("--convert-to"), format,
                                                       QStringLiteral("--outdir"), outDir} +
                                               files);
        if (!p.waitForFinished(180000) || p.exitCode() != 0) {
            error = QString::fromUtf8(p.readAll());
            return false;
        }
        return true;
    }

private:
    QString profile_;
};

} // namespace qb::richtext::test
