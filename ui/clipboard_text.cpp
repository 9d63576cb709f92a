#include "clipboard_text.h"

#include <cstring>

namespace {

// The clipboard, open for one window until this goes.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenClipboardScope()
    {
        if (open_)
            CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

// A block of global memory holding a text and its terminating zero, owned until the
// clipboard takes it.
class ClipboardBlock {
public:
    template <typename Char>
    ClipboardBlock(const Char* text, size_t count) : block_(GlobalAlloc(GMEM_MOVEABLE, (count + 1) * sizeof(Char)))
    {
        auto* bytes = block_ ? static_cast<Char*>(GlobalLock(block_)) : nullptr;
        if (!bytes)
            return;
        std::memcpy(bytes, text, count * sizeof(Char));
        bytes[count] = 0;
        GlobalUnlock(block_);
        filled_ = true;
    }
    ~ClipboardBlock()
    {
        if (block_)
            GlobalFree(block_);
    }
    ClipboardBlock(const ClipboardBlock&) = delete;
    ClipboardBlock& operator=(const ClipboardBlock&) = delete;

    // Once the clipboard has the block, the system frees it.
    bool GiveTo(UINT format)
    {
        if (!filled_ || !SetClipboardData(format, block_))
            return false;
        block_ = nullptr;
        return true;
    }

private:
    HGLOBAL block_;
    bool filled_ = false;
};

} // namespace

bool PutOnClipboard(HWND owner, const std::string& text)
{
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0)), L'\0');
    if (!wide.empty())
        MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], static_cast<int>(wide.size()));
    const OpenClipboardScope clipboard(owner);
    if (!clipboard || !EmptyClipboard())
        return false;
    ClipboardBlock ansi(text.data(), text.size());
    ClipboardBlock unicode(wide.data(), wide.size());
    return ansi.GiveTo(CF_TEXT) && unicode.GiveTo(CF_UNICODETEXT);
}
