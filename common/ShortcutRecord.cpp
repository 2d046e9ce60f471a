// A shortcut's stored fields and its caption.
#include "ShortcutRecord.h"

#include "ShortcutTarget.h"

namespace norvane {

std::unique_ptr<ShortcutRecord> ShortcutRecord::CloneStored() const {
    auto copy = std::make_unique<ShortcutRecord>();
    copy->m_target = m_target;
    copy->m_additionalTarget = m_additionalTarget;
    copy->m_bitmapIcon = m_bitmapIcon;
    copy->m_toolTipTitle = m_toolTipTitle;
    copy->m_commandLine = m_commandLine;
    copy->m_specialProperties = m_specialProperties;
    copy->m_locationPortrait = m_locationPortrait;
    copy->m_locationLandscape = m_locationLandscape;
    copy->m_largeIcon = m_largeIcon;
    copy->m_captionEnabled = m_captionEnabled;
    copy->m_inSpecialTab = m_inSpecialTab;
    return copy;
}

void ShortcutRecord::SetTarget(std::wstring_view target) {
    m_target.assign(target);
    DropIcon();
}

void ShortcutRecord::SetAdditionalTarget(std::wstring_view additionalTarget) {
    m_additionalTarget.assign(additionalTarget);
    DropIcon();
}

void ShortcutRecord::SetBitmapIcon(std::wstring_view bitmapIcon) {
    m_bitmapIcon.assign(bitmapIcon);
    DropIcon();
}

void ShortcutRecord::SetToolTipTitle(std::wstring_view title) {
    if (title != Caption()) {
        m_toolTipTitle.assign(title);
    }
}

std::wstring ShortcutRecord::Caption(bool storedOnly) const {
    return TargetCaption(m_target, m_additionalTarget, m_toolTipTitle, storedOnly);
}

} // namespace norvane
