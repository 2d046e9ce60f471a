// The questions a new shortcut asks after its target was chosen: which storage
// card a storage meter stands for, the phone number of an SMS or phone-call
// shortcut (with a pick from the contacts), and the tab of a tab-menu or
// jump-to-tab shortcut. Each is a small modal dialog centred on its owner.
#pragma once

#include "DialogSupport.h"

#include <string>
#include <vector>

namespace norvane {
class Settings;
}

namespace norvane::options {

class OptionsApp;

// A small dialog of this family: centred on its owner, OK and Cancel end it.
class FollowUpDialog : public DialogBase {
public:
    explicit FollowUpDialog(OptionsApp& app) : m_app(app) {}

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void OnInit() = 0;
    // Reads the answer on OK; false keeps the dialog open.
    virtual bool OnOk() { return true; }
    virtual bool OnCommand(int id, int code) { return false; }
    INT_PTR RunWith(int templateId, HWND owner);

    OptionsApp& m_app;
    DialogFonts m_fonts;
    int m_templateId = 0;
};

// The storage card a storage meter stands for. Runs nothing (false) when the
// device has no card.
class MeterPathDialog : public FollowUpDialog {
public:
    MeterPathDialog(OptionsApp& app, std::wstring meterName, std::vector<std::wstring> cards);
    // True with the chosen card folder ("\Storage Card").
    bool Run(HWND owner, std::wstring& card);

protected:
    void OnInit() override;
    bool OnOk() override;

private:
    std::wstring m_meterName;
    std::vector<std::wstring> m_cards;
    std::wstring m_card;
};

// A phone number for an SMS or a phone call.
class PhoneNumberDialog : public FollowUpDialog {
public:
    PhoneNumberDialog(OptionsApp& app, std::wstring additionalTarget, bool fullScreen);
    bool Run(HWND owner, std::wstring& number);

protected:
    void OnInit() override;
    bool OnOk() override;
    bool OnCommand(int id, int code) override;

private:
    std::wstring m_target;
    bool m_fullScreen;
    std::wstring m_number;
};

// The tab of a tab-menu or jump-to-tab shortcut: the ordinary tabs (without
// the hidden ones for jump-to-tab).
class TabChooserDialog : public FollowUpDialog {
public:
    TabChooserDialog(OptionsApp& app, const Settings& settings, bool jumpToTab);
    // True with the chosen tab's UniqueID.
    bool Run(HWND owner, int& uniqueId);

protected:
    void OnInit() override;
    bool OnOk() override;

private:
    const Settings& m_settings;
    bool m_jumpToTab;
    std::vector<int> m_ids;
    int m_chosen = 0;
};

// The contacts' phone numbers ("Name: number"); choosing one answers the number.
class ContactPicker : public FollowUpDialog {
public:
    explicit ContactPicker(OptionsApp& app) : FollowUpDialog(app) {}
    bool Run(HWND owner, std::wstring& number);

protected:
    void OnInit() override;
    bool OnOk() override;
    bool OnCommand(int id, int code) override;

private:
    std::vector<std::wstring> m_numbers;
    std::wstring m_number;
};

// The contact chooser: a number from the device's contacts, or false.
bool ChooseContactNumber(OptionsApp& app, HWND owner, std::wstring& number);

} // namespace norvane::options
