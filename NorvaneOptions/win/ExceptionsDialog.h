// The task-manager exceptions dialog: the programs the task manager treats
// specially, each with its three flags (hide, minimize only, spared by Close
// All), edited on a copy that replaces the record's list only on OK.
#pragma once

#include "DialogSupport.h"
#include "ExceptionListEditor.h"

namespace norvane::options {

class OptionsApp;

class ExceptionsDialog : public DialogBase {
public:
    ExceptionsDialog(OptionsApp& app, const ExceptionListEditor::List& exceptions);

    // Modal; true on OK, with Result() the edited list.
    bool Run(HWND owner);
    HWND Create(HWND owner); // modeless, for tests
    bool Accepted() const { return m_accepted; }
    const ExceptionListEditor::List& Result() const { return m_editor.Result(); }
    const ExceptionListEditor& Editor() const { return m_editor; }

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnInit();
    void Fill();
    void ShowSelection();
    void RemoveSelected();

    OptionsApp& m_app;
    ExceptionListEditor m_editor;
    bool m_accepted = false;
    DialogFonts m_fonts;
    Anchors m_anchors;
    HWND m_menuBar = nullptr;
};

} // namespace norvane::options
