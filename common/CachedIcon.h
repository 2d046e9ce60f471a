// The icon a shortcut keeps once it has been loaded. The image code derives the
// real thing; the settings record only owns it and drops it when the shortcut's
// target or image changes.
#pragma once

namespace norvane {

class CachedIcon {
public:
    virtual ~CachedIcon() = default;
};

} // namespace norvane
