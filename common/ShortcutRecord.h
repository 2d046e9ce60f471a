// ShortcutRecord: one shortcut of a tab as the settings file stores it, plus the
// icon and run-time state that are never stored.
#pragma once

#include "CachedIcon.h"
#include "MeterDefinition.h"
#include "PropertyList.h"
#include "SettingsFile.h"

#include <memory>
#include <string>

namespace norvane {

inline constexpr std::wstring_view kFolderPrefix = L"folder:";

class ShortcutRecord {
public:
    ShortcutRecord() = default;
    ShortcutRecord(const ShortcutRecord&) = delete;
    ShortcutRecord& operator=(const ShortcutRecord&) = delete;

    // A copy of everything the settings file stores; no icon, no run-time state.
    std::unique_ptr<ShortcutRecord> CloneStored() const;

    // What is launched (a file, or the caption for most other kinds).
    const std::wstring& Target() const { return m_target; }
    void SetTarget(std::wstring_view target);
    // "meter:...", "cpl:...", "folder:...", "new:...", "special:..." or empty.
    const std::wstring& AdditionalTarget() const { return m_additionalTarget; }
    void SetAdditionalTarget(std::wstring_view additionalTarget);
    // An image path that replaces the target's own icon, or empty.
    const std::wstring& BitmapIcon() const { return m_bitmapIcon; }
    void SetBitmapIcon(std::wstring_view bitmapIcon);

    // The stored title. Setting it takes effect only when the text differs from the
    // caption the shortcut shows now, so a title equal to the derived caption is
    // not stored.
    const std::wstring& ToolTipTitle() const { return m_toolTipTitle; }
    void SetToolTipTitle(std::wstring_view title);
    // The caption shown: with storedOnly the stored title; otherwise the title when
    // set, the target itself for a folder, else the target's file name without a
    // final ".lnk".
    std::wstring Caption(bool storedOnly = false) const;

    bool LargeIcon() const { return m_largeIcon; }
    void SetLargeIcon(bool large) { m_largeIcon = large; }
    // Stored as an integer; anything but 0 shows the caption.
    int CaptionEnabled() const { return m_captionEnabled; }
    void SetCaptionEnabled(int enabled) { m_captionEnabled = enabled; }
    const std::wstring& CommandLine() const { return m_commandLine; }
    void SetCommandLine(std::wstring_view commandLine) { m_commandLine.assign(commandLine); }
    PropertyList& SpecialProperties() { return m_specialProperties; }
    const PropertyList& SpecialProperties() const { return m_specialProperties; }
    SettingsPoint LocationPortrait() const { return m_locationPortrait; }
    void SetLocationPortrait(SettingsPoint point) { m_locationPortrait = point; }
    SettingsPoint LocationLandscape() const { return m_locationLandscape; }
    void SetLocationLandscape(SettingsPoint point) { m_locationLandscape = point; }

    // Set for shortcuts of the Task Manager tab and the other special tabs that draw
    // their icons small (types 2 to 7); not stored.
    bool InSpecialTab() const { return m_inSpecialTab; }
    void SetInSpecialTab(bool inSpecialTab) { m_inSpecialTab = inSpecialTab; }

    CachedIcon* Icon() const { return m_icon.get(); }
    void SetIcon(std::unique_ptr<CachedIcon> icon) { m_icon = std::move(icon); }
    // Drops the picture and the meter, which both follow the target and size.
    void DropIcon() {
        m_icon.reset();
        m_meter.reset();
    }

    // A meter shortcut's definition at its icon size, loaded with its icon.
    MeterDefinition* Meter() const { return m_meter.get(); }
    void SetMeter(std::unique_ptr<MeterDefinition> meter) { m_meter = std::move(meter); }

private:
    std::wstring m_target;
    std::wstring m_additionalTarget;
    std::wstring m_bitmapIcon;
    std::wstring m_toolTipTitle;
    std::wstring m_commandLine;
    PropertyList m_specialProperties;
    SettingsPoint m_locationPortrait;
    SettingsPoint m_locationLandscape;
    bool m_largeIcon = false;
    int m_captionEnabled = 1;
    bool m_inSpecialTab = false;
    std::unique_ptr<CachedIcon> m_icon;
    std::unique_ptr<MeterDefinition> m_meter;
};

} // namespace norvane
