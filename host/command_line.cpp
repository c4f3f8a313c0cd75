// Command-line scan of the process entry: which mode, and the handle behind it.
// Works on bytes as unsigned values so that codes of 0x80 and above never
// compare as negative.
#include "host/command_line.h"

namespace {

unsigned char Code(const char *p) { return static_cast<unsigned char>(*p); }

bool IsControlOrSpace(const char *p) { return Code(p) >= 0x01 && Code(p) <= 0x20; }

} // namespace

const char *StepOneByte(const char *text) { return *text ? text + 1 : text; }

const char *SkipProgramName(const char *commandLine, CharStepFn step) {
    const char *p = commandLine;
    if (*p == '"') {
        p = step(p);
        while (*p && *p != '"') {
            const char *next = step(p);
            if (next == p) break; // a stepper that cannot move must not hang us
            p = next;
        }
        if (*p == '"') ++p;
    } else {
        while (*p && !IsControlOrSpace(p)) ++p;
    }
    while (IsControlOrSpace(p)) ++p;
    return p;
}

const char *FindSwitch(const char *argumentText) {
    const char *p = argumentText;
    while (*p == ' ' || *p == '-' || *p == '/') ++p;
    return p;
}

LaunchMode ClassifySwitch(char switchChar) {
    unsigned char c = static_cast<unsigned char>(switchChar);
    if (c == 0) return LaunchMode::Config;
    if (c > 's') return LaunchMode::Unknown; // includes every byte of 0x80 and above
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
    switch (c) {
    case 'c': return LaunchMode::ConfigForeground;
    case 's': return LaunchMode::FullScreen;
    case 'p':
    case 'l': return LaunchMode::Preview;
    case 'a': return LaunchMode::ChangePassword;
    default: return LaunchMode::Unknown;
    }
}

const char *SkipSwitchLetter(const char *switchPos) {
    const char *p = switchPos;
    if (*p) ++p;
    while (*p == ' ') ++p;
    return p;
}

std::uint32_t ParseWindowHandle(const char *text) {
    std::uint32_t value = 0;
    for (const char *p = text; *p >= '0' && *p <= '9'; ++p)
        value = value * 10u + static_cast<std::uint32_t>(*p - '0'); // unsigned: wraps modulo 2^32
    return value;
}
