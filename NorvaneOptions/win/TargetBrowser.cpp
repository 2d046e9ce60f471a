// The target browser's seam (see TargetBrowser.h).
#include "TargetBrowser.h"

#include "OptionsApp.h"

namespace norvane::options {

bool BrowseTargets(OptionsApp& app, HWND owner, const TargetBrowserSetup& setup,
                   std::vector<ChosenTarget>& chosen) {
    chosen.clear();
    if (setup.programsOnly && !setup.multipleSelection) {
        FileRequest request;
        request.filters = {{app.Text(IDS_PROGRAMS_FILTER), app.Text(IDS_PROGRAMS_FILTER_PATTERN)}};
        std::wstring path;
        if (!app.ChooseFile(owner, request, path)) {
            return false;
        }
        chosen.push_back({path, std::wstring()});
        return true;
    }
    app.Message(owner, IDS_EDITOR_MISSING, MB_OK | MB_ICONINFORMATION);
    return false;
}

} // namespace norvane::options
