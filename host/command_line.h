// Command-line scan and switch decisions of the process entry.
// Pure: no platform headers; the caller supplies the character stepper so that
// a double-byte program name is stepped over whole on the platform.
#pragma once

#include <cstdint>

enum class LaunchMode {
    Config,            // end of text: configuration dialog with no owner
    ConfigForeground,  // "c": configuration dialog owned by the foreground window
    FullScreen,        // "s"
    Preview,           // "p" or "l", followed by a window handle
    ChangePassword,    // "a", optionally followed by a window handle
    Unknown,           // anything else
};

// Advances one character; the platform passes CharNextA, tests a plain step.
using CharStepFn = const char *(*)(const char *);

const char *StepOneByte(const char *text);

// Returns the text behind the program name and the control characters and
// spaces (codes 0x01 to 0x20) that follow it.
const char *SkipProgramName(const char *commandLine, CharStepFn step);

// Skips every space, "-" and "/"; returns the switch character's position.
const char *FindSwitch(const char *argumentText);

// The mode that the switch character selects (upper and lower case alike).
LaunchMode ClassifySwitch(char switchChar);

// Steps over the switch letter and every space behind it.
const char *SkipSwitchLetter(const char *switchPos);

// Decimal digits from the start of the text, modulo 2^32; 0 when none.
std::uint32_t ParseWindowHandle(const char *text);
