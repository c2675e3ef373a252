// The two readers that a launcher's text meets when it runs, rebuilt for tests: the
// script engine reading a string literal, and the C runtime splitting a command line.
#pragma once
#include <optional>
#include <string>
#include <vector>

// Reads the script string literal that starts at text[pos] (its opening ' or "), as JScript
// does, and moves pos behind its closing quote. Nothing when the literal is not closed on
// its line (a raw CR, LF, U+2028 or U+2029 ends a script line).
std::optional<std::u16string> ReadScriptLiteral(const std::u16string& text, size_t& pos);

// The two rules of Microsoft's C runtimes for "" inside a quoted part: both give one literal
// quote, but the msvcrt.dll that our lame.exe is linked against (the runtime of Visual C++
// before 2008, which Windows still ships) also ends the quoted part there, so a blank after
// it splits the argument; the runtimes since 2008 (and Wine's msvcrt) keep the part quoted.
enum class QuoteRule { kMsvcrt, kSince2008 };

// The arguments of a command line by the Microsoft C runtime's rules: the program name up
// to its closing quote (or the first blank), then blank-separated arguments where 2n
// backslashes before a quote give n and a delimiting quote, 2n+1 give n and a literal
// quote, other backslashes stand as they are, and "" inside quotes gives one quote (and
// ends the quoted part by the msvcrt rule).
std::vector<std::u16string> SplitCommandLine(const std::u16string& commandLine,
                                             QuoteRule rule = QuoteRule::kSince2008);

// Readable UTF-8 form of a UTF-16 text for failure messages.
std::string Printable(const std::u16string& text);
