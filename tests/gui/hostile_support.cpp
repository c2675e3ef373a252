#include "gui/hostile_support.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "gui/launcher_dialog.h"
#include "support/files_win.h"
#include "gui/harness.h"
#include "launcher_decoder.h"
#include "resources/control_ids.h"

namespace hostile {
namespace {

const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// The literal after the marker; true and nothing read when the marker is not there.
bool ReadLiteralAfter(const std::u16string& text, const std::u16string& marker,
                      std::u16string& value) {
    size_t pos = text.find(marker);
    if (pos == std::u16string::npos) return true;
    pos += marker.size();
    const std::optional<std::u16string> literal = ReadScriptLiteral(text, pos);
    if (literal) value = *literal;
    return literal.has_value();
}

bool IsHtmlSpace(char16_t unit) {
    return unit == u' ' || unit == u'\t' || unit == u'\n' || unit == u'\f' || unit == u'\r';
}

// "<script" or "</script" (closing) at pos, in any case, followed by a space, "/" or ">".
bool ScriptTagAt(const std::u16string& html, size_t pos, bool closing) {
    const std::u16string open = closing ? u"</script" : u"<script";
    if (html.size() < pos + open.size() + 1) return false;
    for (size_t k = 0; k < open.size(); ++k) {
        char16_t unit = html[pos + k];
        if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + 32);
        if (unit != open[k]) return false;
    }
    const char16_t after = html[pos + open.size()];
    return IsHtmlSpace(after) || after == u'/' || after == u'>';
}

// The end of the script data that starts at pos: the index of its closing "</script".
size_t ScriptDataEnd(const std::u16string& html, size_t pos) {
    enum { kData, kEscaped, kEscapedDash, kEscapedDashDash, kDouble, kDoubleDash, kDoubleDashDash };
    int state = kData;
    while (pos < html.size()) {
        const char16_t unit = html[pos];
        const bool doubled = state >= kDouble;
        if (unit == u'<') {
            if (state == kData) {
                if (ScriptTagAt(html, pos, true)) return pos;
                if (html.compare(pos, 4, u"<!--") == 0) {
                    state = kEscapedDashDash;
                    pos += 4;
                    continue;
                }
            } else if (!doubled) {
                if (ScriptTagAt(html, pos, true)) return pos;
                if (ScriptTagAt(html, pos, false)) {
                    state = kDouble;
                    pos += 7;
                    continue;
                }
                state = kEscaped;
            } else {
                if (ScriptTagAt(html, pos, true)) {
                    state = kEscaped;
                    pos += 8;
                    continue;
                }
                state = kDouble;
            }
        } else if (unit == u'-' && state != kData) {
            if (state == kEscaped || state == kDouble)
                ++state;
            else if (state == kEscapedDash || state == kDoubleDash)
                ++state;
        } else if (unit == u'>' && (state == kEscapedDashDash || state == kDoubleDashDash)) {
            state = kData;
        } else if (state != kData) {
            state = doubled ? kDouble : kEscaped;
        }
        ++pos;
    }
    return std::u16string::npos;
}

}  // namespace

// Bytes no editor would write: a fixed-seed xorshift stream.
std::string BinaryBytes(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    uint32_t state = seed;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

std::u16string ProgramFolder() {
    std::u16string path(32768, u'\0');
    const DWORD length = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(path.data()),
                                            static_cast<DWORD>(path.size()));
    path.resize(length);
    path.erase(path.rfind(u'\\') + 1);
    return path;
}

BesideProgram::BesideProgram(const std::u16string& name) : path_(ProgramFolder() + name) {
    Remove();  // whatever an earlier, broken run left
}

BesideProgram::~BesideProgram() {
    Remove();
}

bool BesideProgram::Write(const std::string& bytes) {
    return support::WriteBytes(path_, bytes);
}

bool BesideProgram::WriteGenerated(uint64_t total,
                                   const std::function<void(std::string&, uint64_t)>& fill) {
    HANDLE file = CreateFileW(W(path_), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    constexpr uint64_t kChunk = 4 << 20;
    std::string chunk;
    bool ok = true;
    for (uint64_t offset = 0; ok && offset < total; offset += kChunk) {
        chunk.assign(static_cast<size_t>(total - offset < kChunk ? total - offset : kChunk), '\0');
        fill(chunk, offset);
        DWORD written = 0;
        ok = WriteFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr) &&
             written == chunk.size();
    }
    CloseHandle(file);
    return ok;
}

bool BesideProgram::MakeFolder() {
    return CreateDirectoryW(W(path_), nullptr) != FALSE;
}

void BesideProgram::Remove() {
    const DWORD attributes = GetFileAttributesW(W(path_));
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        support::RemoveTree(path_);
    else
        DeleteFileW(W(path_));
}

Watchdog::Watchdog(DWORD seconds) : seconds_(seconds) {
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
        test_ = std::string(info->test_suite_name()) + "." + info->name();
    done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

Watchdog::~Watchdog() {
    SetEvent(done_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(done_);
}

DWORD WINAPI Watchdog::Watch(void* self) {
    auto* dog = static_cast<Watchdog*>(self);
    if (WaitForSingleObject(dog->done_, dog->seconds_ * 1000) == WAIT_OBJECT_0) return 0;
    std::fprintf(stderr, "\n%s: hung, still running after %lu s; the suite is stopped.\n",
                 dog->test_.c_str(), static_cast<unsigned long>(dog->seconds_));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return 0;
}

Stopwatch::Stopwatch() {
    QueryPerformanceCounter(&start_);
}

double Stopwatch::Milliseconds() const {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start_.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

bool PasteInto(HWND dialog, int editId, const std::u16string& text) {
    HWND edit = GetDlgItem(dialog, editId);
    if (!OpenClipboard(dialog)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    bool placed = false;
    if (block != nullptr) {
        auto* target = static_cast<char16_t*>(GlobalLock(block));
        std::char_traits<char16_t>::copy(target, text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        placed = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        if (!placed) GlobalFree(block);
    }
    CloseClipboard();
    if (!placed) return false;
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_PASTE, 0, 0);
    PumpMessages();
    return true;
}

std::vector<std::u16string> SplitArguments(const std::u16string& commandLine) {
    // The rules of msvcrt.dll, which lame.exe is linked against, behind a program name of our
    // own: on Windows "" inside quotes also ends the quoted part there.
    std::vector<std::u16string> arguments =
        SplitCommandLine(u"lame " + commandLine, QuoteRule::kMsvcrt);
    arguments.erase(arguments.begin());
    return arguments;
}

LauncherParts ReadLauncher(const std::string& utf8) {
    const std::u16string text = FromUtf8(utf8);
    LauncherParts parts;
    parts.readable = ReadLiteralAfter(text, u"var lame_exe = ", parts.lameExe) &&
                     ReadLiteralAfter(text, u"var arg_comm = ", parts.argComm);
    const std::u16string call = u"\tcallRun (";
    for (size_t at = text.find(call); at != std::u16string::npos; at = text.find(call, at)) {
        size_t pos = at + call.size();
        const std::optional<std::u16string> command = ReadScriptLiteral(text, pos);
        if (!command) {
            parts.readable = false;
            break;
        }
        parts.trackArguments.push_back(SplitArguments(*command));
        at = pos;
    }
    return parts;
}

std::vector<ScriptElement> FindScriptElements(const std::u16string& html) {
    std::vector<ScriptElement> elements;
    size_t pos = 0;
    while (pos < html.size()) {
        if (!ScriptTagAt(html, pos, false)) {
            ++pos;
            continue;
        }
        const size_t tagEnd = html.find(u'>', pos);
        if (tagEnd == std::u16string::npos) break;
        ScriptElement element;
        element.contentBegin = tagEnd + 1;
        element.contentEnd = ScriptDataEnd(html, element.contentBegin);
        elements.push_back(element);
        if (element.contentEnd == std::u16string::npos) break;
        pos = element.contentEnd + 8;
    }
    return elements;
}

std::u16string OptionValue(const std::vector<std::u16string>& arguments,
                           const std::u16string& option) {
    for (size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == option) return arguments[i + 1];
    return u"<absent>";
}

namespace {
const wchar_t kSettingsRoot[] = L"Software\\Morgenfeld-Software";
}  // namespace

void LauncherTest::SetUp() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsRoot);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = support::MakeScratchFolder(u"hostile-" + FromUtf8(info ? info->name() : "x"));
    music_ = folder_ + u"Musik\\";
    ASSERT_TRUE(support::MakeFolders(music_));
    lame_ = folder_ + u"lame.exe";
    ASSERT_TRUE(support::WriteBytes(lame_, "MZ"));
    launcher_ = music_ + u"Lame-Aufruf.hta";
    dialog_ = OpenFreshDialog();
    ASSERT_NE(dialog_, nullptr);
    support::SetFieldText(dialog_, IDE_LAME_PATH, lame_);
}

void LauncherTest::TearDown() {
    CloseDialog(dialog_);
    support::RemoveTree(folder_);
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsRoot);
}

std::vector<std::string> LauncherTest::Press(std::deque<int> answers) {
    MessageBoxRecorder recorder(std::move(answers));
    support::PressBatchButton(dialog_);
    std::vector<std::string> texts;
    for (const ShownMessage& shown : recorder.Shown()) {
        texts.push_back(PrintableText(shown.text));
        EXPECT_EQ(PrintableText(shown.caption), "Tonschleuder") << texts.back();
        EXPECT_EQ(shown.owner, dialog_) << texts.back();
        EXPECT_FALSE(shown.hasIcon) << texts.back();
    }
    return texts;
}

std::string LauncherTest::Launcher() const {
    return support::ReadBytes(launcher_);
}

std::string Written(const std::u16string& fileName) {
    return PrintableText(fileName + u" wurde geschrieben.");
}

std::string NotOpened(const std::u16string& path) {
    return PrintableText(path + u"\r\nkonnte nicht zum Schreiben geöffnet werden!");
}

}  // namespace hostile
