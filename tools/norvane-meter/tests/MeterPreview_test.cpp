// norvane-meter preview: a sheet of a shipped meter, read back, shows the
// meter growing from 0 to 100 % and the charging overlay in the lower rows.
#include "ImageLoader.h"
#include "MeterPreview.h"
#include "TestSupport.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

namespace norvane::meter {
namespace {

std::wstring SourcePath(const std::string& relative) {
    std::string path = "Z:" + std::string(NORVANE_SOURCE_DIR) + "/" + relative;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return Utf8ToUtf16(path);
}

// Pixels of the meter square that differ between two cells (column, row).
int Differing(const Bitmap32& sheet, int columnA, int rowA, int columnB, int rowB, int size) {
    const int pad = std::max(6, size / 4);
    const int cell = size + 2 * pad;
    int count = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            auto at = [&](int column, int row) {
                const std::size_t i = static_cast<std::size_t>(16 + row * cell + pad + y) * sheet.Width() +
                                      (64 + column * cell + pad + x);
                return (sheet.Red()[i] << 16) | (sheet.Green()[i] << 8) | sheet.Blue()[i];
            };
            count += at(columnA, rowA) != at(columnB, rowB);
        }
    }
    return count;
}

TEST(MeterPreview, SheetShowsTheValuesAndCharging) {
    ImagingService imaging;
    test::ScratchDir dir;
    for (int size : {16, 32, 64}) {
        PreviewRequest request;
        request.file = SourcePath("meters/battery-default/meter.ini");
        request.output = dir.WidePath("sheet" + std::to_string(size) + ".png");
        request.size = size;
        std::string err;
        ASSERT_TRUE(DrawPreviewSheet(request, err)) << err;
        Bitmap32 sheet;
        ASSERT_TRUE(LoadPngFile(sheet, request.output)) << "the sheet is a PNG we can read";
        const int pad = std::max(6, size / 4);
        EXPECT_EQ(sheet.Width(), 64 + 6 * (size + 2 * pad));
        EXPECT_EQ(sheet.Height(), 16 + 4 * (size + 2 * pad));
        EXPECT_GT(Differing(sheet, 0, 0, 5, 0, size), size) << "0 % and 100 % look alike at " << size;
        EXPECT_GT(Differing(sheet, 3, 0, 4, 0, size), 0) << "50 % and 75 % look alike at " << size;
        // Row 2 is row 0 with the charging overlay.
        EXPECT_GT(Differing(sheet, 3, 0, 3, 2, size), 0) << "no charging overlay at " << size;
    }
}

TEST(MeterPreview, NothingToDrawIsAnError) {
    test::ScratchDir dir;
    test::WriteBytes(dir.Path("empty.ini"), "[general]\r\ntype=pie\r\n");
    PreviewRequest request;
    request.file = dir.WidePath("empty.ini");
    request.output = dir.WidePath("out.png");
    std::string err;
    EXPECT_FALSE(DrawPreviewSheet(request, err));
    EXPECT_NE(err.find("nothing to draw"), std::string::npos) << err;
}

} // namespace
} // namespace norvane::meter
