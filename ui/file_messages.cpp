#include "file_messages.h"

#include "app/app_context.h"
#include "app/unique_any.h"
#include "resource.h"

std::string LoadText(UINT id)
{
    char text[512] = "";
    LoadStringA(App().resourceInstance, id, text, sizeof text);
    return text;
}

std::string CountText(UINT id, int count, int secondCount)
{
    std::string text = LoadText(id);
    size_t at = 0;
    for (int value : {count, secondCount}) {
        if ((at = text.find("%d", at)) == std::string::npos)
            break;
        const std::string digits = std::to_string(value);
        text.replace(at, 2, digits);
        at += digits.size();
    }
    return text;
}

std::string SystemErrorText(uint32_t error)
{
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    const UniqueLocal owner(text);
    std::string words = length ? std::string(text, length) : "(" + std::to_string(error) + ")";
    while (!words.empty() && (words.back() == '\r' || words.back() == '\n' || words.back() == ' '))
        words.pop_back();
    return words;
}

std::string FailureText(const FileFailure& failure)
{
    switch (failure.kind) {
    case FileFailure::Kind::KeptChanging:
        return LoadText(IDS_FILE_KEPT_CHANGING);
    case FileFailure::Kind::CheckFailed:
        return LoadText(IDS_CHECK_FAILED);
    case FileFailure::Kind::Held:
    case FileFailure::Kind::Missing:
    case FileFailure::Kind::SystemError:
        return failure.systemError == ERROR_FILE_TOO_LARGE ? LoadText(IDS_FILE_TOO_LARGE)
                                                           : SystemErrorText(failure.systemError);
    case FileFailure::Kind::None:
        break;
    }
    return std::string();
}

std::string KeywordNames(const std::vector<std::string>& texts)
{
    constexpr size_t kNamed = 10;
    std::string names;
    for (size_t i = 0; i < texts.size() && i < kNamed; ++i)
        names += "\n\x81\x75" + texts[i] + "\x81\x76"; // 「 and 」 in Shift-JIS
    if (texts.size() > kNamed)
        names += "\n" + CountText(IDS_MORE_KEYWORDS, static_cast<int>(texts.size() - kNamed));
    return names;
}

void ShowWarning(HWND owner, const std::string& text)
{
    MessageBoxA(owner, text.c_str(), LoadText(IDR_MAINFRAME).c_str(), MB_OK | MB_ICONWARNING);
}
