// Feeds one input to the picture readers. QB_FUZZ_IMAGE names the reader to
// aim at (pcx, tga, wmf, emf, bmp, layout); without it the first byte picks
// one and the rest is the file. A picture that reads is drawn, and a metafile
// must read back from the layout bytes it gives.

#include "platform/image/picture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

const char* const kNames[] = {"pcx", "tga", "wmf", "emf", "bmp", "layout"};
int chosen = -1;

void readOne(int reader, const QByteArray& bytes)
{
    using qb::image::Picture;
    try {
        const Picture picture = kNames[reader] == std::string_view("layout")
                                    ? Picture::fromLayoutData(bytes)
                                    : Picture::fromFileBytes(bytes, QStringLiteral("f.") + QLatin1StringView(kNames[reader]));
        if (picture.kind() != Picture::Kind::Metafile)
            return;
        QImage canvas(48, 48, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        {
            QPainter painter(&canvas);
            picture.draw(painter, QRectF(2, 2, 44, 44));
        }
        if (Picture::fromLayoutData(picture.layoutData()).layoutData() != picture.layoutData())
            std::abort();
    } catch (const qb::image::ImageError&) {
    }
}

} // namespace

// fontconfig keeps its font lists for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char name[] = "fuzz_image";
    static char* qtArgv[] = {name, nullptr};
    new QGuiApplication(qtArgc, qtArgv);
    if (const char* which = std::getenv("QB_FUZZ_IMAGE"))
        for (int i = 0; i < int(std::size(kNames)); ++i)
            if (std::strcmp(which, kNames[i]) == 0)
                chosen = i;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int reader = chosen;
    if (reader < 0) {
        if (size == 0)
            return 0;
        reader = data[0] % int(std::size(kNames));
        ++data;
        --size;
    }
    readOne(reader, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}
