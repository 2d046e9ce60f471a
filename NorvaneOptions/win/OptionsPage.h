// The Options page: a group list, the options of the chosen group, the chosen
// option's description, and one value editor that takes the form the option
// asks for (check box, choice list, text with "...", colour swatch, or a lone
// "..." button). Every change goes straight into the sheet's working settings.
#pragma once

#include "Bitmap32.h"
#include "OptionTables.h"
#include "OptionsSheet.h"

#include <vector>

namespace norvane::options {

class OptionsPage : public PageBase {
public:
    explicit OptionsPage(OptionsSheet& sheet);

    void SelectGroup(int group);
    void SelectOption(int index);
    int Group() const { return m_group; }
    int SelectedOption() const { return m_selected; }
    const OptionDescriptor* SelectedDescriptor() const;
    const std::vector<Choice>& Choices() const { return m_choices; }
    void CommitPending() override;

    // The option context the choice lists are filled from.
    OptionContext Context();

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInit() override;
    void OnResize(int width, int height) override;

private:
    void HideEditors();
    void ShowEditor(const OptionDescriptor& option);
    // The choice list, made at its place the first time it is needed; null when it cannot be made.
    HWND ChoiceList();
    void OnChoiceChanged();
    void OnCheckClicked();
    void OnTextCommitted();
    void OnBrowse();
    void OnColour();
    void DrawSwatch(const DRAWITEMSTRUCT& item);
    void DrawPicture(const DRAWITEMSTRUCT& item);
    void SetDescription(const std::wstring& text);
    void FitListColumn();

    std::span<const OptionDescriptor> m_options;
    int m_group = -1;
    int m_selected = -1;
    ColorValue m_swatch = kAutomaticColor;
    std::vector<Choice> m_choices;
    std::vector<std::wstring> m_fontFamilies;
    bool m_fontsRead = false;
    Bitmap32 m_picture;
    // Worked out once per initialisation: the smallest height offered and the
    // largest extra caption width.
    int m_smallestHeight = 0;
    int m_largestExtraWidth = 0;
};

// The screen's font families, in the order the platform enumerates them.
std::vector<std::wstring> ScreenFontFamilies();

} // namespace norvane::options
