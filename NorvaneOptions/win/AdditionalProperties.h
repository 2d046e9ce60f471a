// The Additional Properties dialog: a shortcut's display name and command
// line, and the properties of its special command, through the same list of
// options, description line and one value editor as the Options page. Every
// change is written into the shortcut at once.
#pragma once

#include "DialogSupport.h"
#include "PropertyTables.h"

#include <string>
#include <vector>

namespace norvane {
class Settings;
class ShortcutRecord;
} // namespace norvane

namespace norvane::options {

class OptionsApp;

class AdditionalPropertiesDialog : public DialogBase {
public:
    AdditionalPropertiesDialog(OptionsApp& app, const Settings& settings, ShortcutRecord& shortcut);

    // Modal; true when it ended with OK (edits are in the shortcut either way).
    bool Run(HWND owner);
    HWND Create(HWND owner); // modeless, for tests

    const std::vector<const PropertyOption*>& Options() const { return m_options; }
    int SelectedOption() const { return m_selected; }
    const std::vector<PropertyChoice>& Choices() const { return m_choices; }
    void SelectOption(int index);
    // Stores what the text field holds (it stores on losing the focus).
    void CommitText();

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnInit();
    void HideEditors();
    void OnChoiceChanged();
    void OnCheckClicked();
    void OnBrowse();
    const PropertyOption* Current() const;

    OptionsApp& m_app;
    const Settings& m_settings;
    ShortcutRecord& m_shortcut;
    std::vector<const PropertyOption*> m_options;
    std::vector<PropertyChoice> m_choices;
    int m_selected = -1;
    bool m_accepted = false;
    bool m_updating = false;
    DialogFonts m_fonts;
    Anchors m_anchors;
    EmptyMenuBar m_menuBar;
};

} // namespace norvane::options
