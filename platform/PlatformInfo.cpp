// Placeholder so the stand-in library always has a translation unit.
namespace norvane::platform {
int StandInRevision() { return 1; }
} // namespace norvane::platform
