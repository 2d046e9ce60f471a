// A meter image source for tests: pictures and masks made in memory, named by
// their full path, and the platform answers a test wants.
#pragma once

#include "MeterDefinition.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace norvane::test {

class FakeMeterSource : public MeterImageSource {
public:
    // A picture of width x height whose rows (or columns) first..last carry
    // alpha (horizontal: columns), everything else transparent.
    void AddImage(const std::wstring& path, int width, int height, int first, int last,
                  bool horizontal = false) {
        images[path] = [=](Bitmap32& image) {
            image.CreateFilled(width, height, MakeColor(200, 40, 40), 0);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const int line = horizontal ? x : y;
                    if (line >= first && line <= last) {
                        image.Alpha()[static_cast<std::size_t>(y) * width + x] = 255;
                    }
                }
            }
        };
    }
    // A mask lit (not black) in rows (columns) first..last.
    void AddMask(const std::wstring& path, int width, int height, int first, int last,
                 bool horizontal = false) {
        masks[path] = [=]() {
            std::vector<std::uint8_t> lit(static_cast<std::size_t>(width) * height, 0);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const int line = horizontal ? x : y;
                    lit[static_cast<std::size_t>(y) * width + x] = line >= first && line <= last ? 1 : 0;
                }
            }
            auto mask = std::make_unique<MeterMask>();
            mask->Assign(width, height, std::move(lit));
            return mask;
        };
    }

    bool LoadPicture(const std::wstring& path, Bitmap32& image) override {
        ++imageLoads[path];
        auto found = images.find(path);
        if (found == images.end()) {
            return false;
        }
        found->second(image);
        return !image.IsEmpty();
    }
    std::unique_ptr<MeterMask> LoadMask(const std::wstring& path) override {
        auto found = masks.find(path);
        return found == masks.end() ? nullptr : found->second();
    }
    bool FileExists(const std::wstring& path) override { return images.count(path) || masks.count(path); }
    std::wstring StoredStorageCardPath(const std::wstring& meterPath) override {
        auto found = storedCards.find(meterPath);
        return found == storedCards.end() ? std::wstring() : found->second;
    }
    std::wstring FirstStorageCard() override { return firstCard; }
    ColorValue ThemeTextColour() override { return themeText; }

    std::map<std::wstring, std::function<void(Bitmap32&)>> images;
    std::map<std::wstring, std::function<std::unique_ptr<MeterMask>()>> masks;
    std::map<std::wstring, int> imageLoads;
    std::map<std::wstring, std::wstring> storedCards;
    std::wstring firstCard;
    ColorValue themeText = MakeColor(1, 2, 3);
};

} // namespace norvane::test
