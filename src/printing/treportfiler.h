#pragma once
// The recording job: every page in the range goes into a TPageStream instead
// of a printer, at a fixed virtual resolution, on the selected printer's paper.
// An aborted or failed job leaves the stream empty.

#include "printing/tbasereport.h"

namespace qb {

class TReportFiler : public TBaseReport {
    Q_OBJECT
public:
    explicit TReportFiler(QObject* parent = nullptr);

    StreamMode streamMode() const { return streamMode_; }
    AccuracyMethod accuracyMethod() const { return accuracyMethod_; }
    void setAccuracyMethod(AccuracyMethod m) { accuracyMethod_ = m; }
    // The caller's stream (smUser); without one the job records into its own (smMemory).
    void setStream(TPageStream* stream);
    TPageStream* stream() { return stream_ ? stream_ : &own_; }

protected:
    double devicePpiX() const override { return TPageStream::kResolution; }
    double devicePpiY() const override { return TPageStream::kResolution; }
    void deviceBeginDocument() override;
    void deviceBeginPage() override;
    void deviceDraw(DrawCommand&& command) override;
    void deviceEndDocument(bool discard) override;
    bool outputIsPreview() const override { return true; }

private:
    StreamMode streamMode_ = StreamMode::smMemory;
    AccuracyMethod accuracyMethod_ = AccuracyMethod::amPositioning;
    TPageStream* stream_ = nullptr;
    TPageStream own_;
    RecordedPage* page_ = nullptr;
};

} // namespace qb
