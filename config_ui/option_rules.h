// Decisions of the configuration dialogs that the spec gives as rules: the
// scroll bars' request codes and clamping, the value labels, the transition
// list texts, the Picture Size presets and the centring arithmetic.
// Pure: no platform headers; the dialogs' Win32 code calls these.
#pragma once

#include <cstddef>
#include <cstdint>

// One value of the dialog shown by a scroll bar and the label beside it. The
// label's text, not the bar, holds the value that OK commits.
struct OptionBar {
    int barId;
    int labelId;
    const char *format;  // "%i secs" and so on; one %i
    std::int32_t minimum;
    std::int32_t maximum;
};

// DisplayDuration, ImageSize, RefreshSpeed, StepSize: the order in which
// initialisation writes them and the commit reads them back.
constexpr std::size_t kOptionBarCount = 4;
extern const OptionBar kOptionBars[kOptionBarCount];

// The bar with this id, or null for a bar that only moves.
const OptionBar *FindOptionBar(int barId);

// Scroll-bar request codes as the platform sends them in WM_HSCROLL.
enum ScrollRequest : int {
    kLineLeft = 0,
    kLineRight = 1,
    kPageLeft = 2,
    kPageRight = 3,
    kThumbPosition = 4,
    kThumbTrack = 5,
    kLeftEnd = 6,
    kRightEnd = 7,
};
constexpr std::int32_t kLineStep = 1;
constexpr std::int32_t kPageStep = 10;

// The bar's new position for a request, or false when the request moves
// nothing (8, the end of scrolling, and unknown codes). thumb is the position
// carried by the thumb requests; it is held inside the range as well, so the
// label never shows a value the thumb cannot.
bool ScrolledPosition(int request, std::int32_t position, std::int32_t minimum, std::int32_t maximum,
                      std::int32_t thumb, std::int32_t *newPosition);

// The label's text for a value ("100 secs"); the buffer is the label's 64 bytes.
constexpr std::size_t kLabelTextSize = 64;
void FormatOptionLabel(const OptionBar &bar, std::int32_t value, char (&text)[kLabelTextSize]);

// The number at the start of a label's text: blanks, a sign, digits; none gives 0.
std::int32_t LabelNumber(const char *text);

// The transition lists' texts, index = stored value.
constexpr std::size_t kFadeInStyleCount = 8;
constexpr std::size_t kFadeOutStyleCount = 9;
extern const char *const kFadeInStyles[kFadeInStyleCount];
extern const char *const kFadeOutStyles[kFadeOutStyleCount];

// One group of the Picture Size dialog: three preset buttons and "Other" with its edit.
struct SizeGroup {
    int presetButtons[3];
    std::int32_t presetValues[3];
    int otherButton;
    int editId;
    std::int32_t fallback;  // what an unreadable "Other" text gives
};
extern const SizeGroup kWidthGroup;
extern const SizeGroup kHeightGroup;

// The button that shows the value: its preset, or "Other".
int SizeGroupButtonFor(const SizeGroup &group, std::int32_t value);

// Where a window of the given extent starts when centred over a reference:
// start + extent / 2 - window / 2, halves truncated, never below 0.
std::int32_t CentredStart(std::int32_t referenceStart, std::int32_t referenceExtent, std::int32_t windowExtent);

// The icon size for a button's inner square: the largest drawn size (32, 24
// or 16 pixels) that fits, and 16 when none does.
int ButtonIconSize(int innerWidth, int innerHeight);
