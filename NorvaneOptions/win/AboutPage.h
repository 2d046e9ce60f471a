// The About page: the product's logo and the version text.
#pragma once

#include "Bitmap32.h"
#include "OptionsSheet.h"

namespace norvane::options {

class AboutPage : public PageBase {
public:
    explicit AboutPage(OptionsSheet& sheet);
    const Bitmap32& Logo() const { return m_logo; }

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInit() override;

private:
    Bitmap32 m_logo;
};

} // namespace norvane::options
