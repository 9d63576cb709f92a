// The real program deleting keywords while another process writes history.ini, as the search
// application does while the user searches: the history is never lost, the other program's
// writes survive, and no row disappears whose keyword the file still holds.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "message_box_answerer.h"
#include "remote_list.h"
#include "temp_folder.h"
#include "test_texts.h"
#include "time_scale.h"
#include "tool_process.h"
#include "ui/resource.h"

namespace {

// Every key of a section as the system's reader sees it: the first line of a key wins.
std::map<std::string, std::string> ReadSection(const char* section)
{
    std::vector<char> lines(64 << 20);
    GetPrivateProfileSectionA(section, lines.data(), static_cast<DWORD>(lines.size()), ".\\history.ini");
    std::map<std::string, std::string> keys;
    for (const char* line = lines.data(); *line; line += strlen(line) + 1) {
        const char* equals = strchr(line, '=');
        if (equals)
            keys.emplace(std::string(line, equals), equals + 1);
    }
    return keys;
}

// How many times each scenario runs.
int Rounds() { return ShortOrSoak(1, 20); }

// The search application's stand-in, writing in the folder until it is stopped.
class SearchApplication {
public:
    SearchApplication(const std::string& folder, const std::string& arguments)
        : process_(folder, arguments, "SEARCH_APP_EXE")
    {
    }

    // Stops it and returns each of its writes: the key and whether the system reported success.
    std::vector<std::pair<std::string, bool>> Stop()
    {
        WriteBytes("stop", "");
        EXPECT_EQ(0u, process_.WaitForExit());
        std::vector<std::pair<std::string, bool>> writes;
        const std::string log = ReadBytes("written.txt");
        for (size_t at = 0; at < log.size();) {
            const size_t end = log.find('\n', at);
            const size_t space = log.find(' ', at);
            writes.emplace_back(log.substr(at, space - at), log[space + 1] == '1');
            at = end + 1;
        }
        return writes;
    }

private:
    ToolProcess process_;
};

class BesideTheSearchApplication : public testing::Test {
protected:
    void Start(int keywords)
    {
        keywords_ = keywords;
        WriteBytes("history.ini", NumberedHistory(keywords));
        tool_ = std::make_unique<ToolProcess>(folder_.Path());
        window_ = tool_->WaitForWindow();
        ASSERT_NE(nullptr, window_);
        list_ = std::make_unique<RemoteList>(window_);
        ASSERT_TRUE(list_->Found());
        answerer_ = std::make_unique<MessageBoxAnswerer>(GetWindowThreadProcessId(window_, nullptr));
    }

    // Deletes the top rows, a number of them per command, and gives them back at once when
    // undoing, pausing between commands. Here, as for the other program's pace, times are
    // stretched by the time scale: the race between the two keeps its odds where everything
    // runs slower.
    void Delete(int commands, int rowsPerCommand, DWORD pauseMs, bool undoing = false)
    {
        for (int n = 0; n < commands; ++n) {
            list_->Select(0, rowsPerCommand);
            Command(ID_KEYWORD_DELETE);
            if (undoing)
                Command(ID_EDIT_UNDO);
            Sleep(Scaled(pauseMs));
        }
    }

    // How many keywords the message boxes so far said could not come back.
    int NotRestored()
    {
        int notRestored = 0;
        for (const MessageBoxAnswerer::Box& box : answerer_->Boxes())
            if (box.text.find(ShiftJis(L"件のキーワードを元に戻せませんでした")) != std::string::npos)
                notRestored += std::atoi(box.text.c_str());
        return notRestored;
    }

    // A command as the menu gives it, carried out once this returns.
    void Command(WPARAM id)
    {
        DWORD_PTR result = 0;
        EXPECT_NE(0, SendMessageTimeoutA(window_, WM_COMMAND, id, 0, SMTO_NORMAL, Scaled(60000), &result));
    }

    // The numbers of the history's keys that hold a text.
    std::set<std::string> NumbersWithText()
    {
        const std::map<std::string, std::string> keys = ReadSection("Keywords");
        std::set<std::string> numbers;
        for (int n = 0; n < keywords_; ++n)
            if (keys.count(std::to_string(n)) && !keys.at(std::to_string(n)).empty())
                numbers.insert(std::to_string(n));
        return numbers;
    }

    // The history's own keys are all there, each with its text or blanked, and a key still
    // holding its text is still listed, once the tool has looked at the file after its last
    // write. Returns how many were blanked.
    int ExpectHistoryKeptAndRowsTrue()
    {
        Eventually([this] {
            const std::vector<std::string> listed = list_->Numbers();
            return std::set<std::string>(listed.begin(), listed.end()) == NumbersWithText();
        }, 10000);
        blankedTexts_.clear();
        const std::map<std::string, std::string> keys = ReadSection("Keywords");
        EXPECT_EQ("0", keys.count("StartPos") ? keys.at("StartPos") : "missing");
        EXPECT_EQ(std::to_string(keywords_), keys.count("EndPos") ? keys.at("EndPos") : "missing");
        const std::vector<std::string> listed = list_->Numbers();
        const std::set<std::string> rows(listed.begin(), listed.end());
        int blanked = 0;
        for (int n = 0; n < keywords_; ++n) {
            const std::string key = std::to_string(n);
            const auto found = keys.find(key);
            if (found == keys.end()) {
                ADD_FAILURE() << "key " << n << " lost";
                continue;
            }
            if (found->second.empty()) {
                ++blanked;
                blankedTexts_.insert(KeywordText(n));
                continue;
            }
            EXPECT_EQ(KeywordText(n), found->second) << "key " << n;
            EXPECT_EQ(1u, rows.count(key)) << "key " << n << " holds its text but its row is gone";
        }
        EXPECT_EQ(keywords_ - blanked, static_cast<int>(listed.size()));
        std::printf("[ stats    ] %d keywords blanked, %d listed\n", blanked, static_cast<int>(listed.size()));
        return blanked;
    }

    // Closes the tool. No file of the program's own is left in the folder then, and no file
    // beside history.ini holds a keyword blanked when the rows were checked.
    void Close()
    {
        EXPECT_EQ(0u, tool_->Close());
        answerer_.reset();
        WIN32_FIND_DATAA found{};
        const HANDLE search = FindFirstFileA("*", &found);
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || lstrcmpiA(found.cFileName, "history.ini") == 0)
                continue;
            EXPECT_NE(0, strncmp(found.cFileName, "~tnw", 4)) << found.cFileName << " left beside history.ini";
            const std::string bytes = ReadBytes(found.cFileName);
            for (size_t at = 0, end = 0; at < bytes.size(); at = end + 1) {
                end = std::min(bytes.find('\n', at), bytes.size());
                const size_t equals = bytes.find('=', at);
                std::string value = equals < end ? bytes.substr(equals + 1, end - equals - 1) : "";
                if (!value.empty() && value.back() == '\r')
                    value.pop_back();
                if (blankedTexts_.count(value))
                    ADD_FAILURE() << found.cFileName << " holds the deleted " << bytes.substr(at, end - at);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }

    TempFolder folder_;
    std::unique_ptr<ToolProcess> tool_;
    std::unique_ptr<RemoteList> list_;
    HWND window_ = nullptr;
    int keywords_ = 0;
    std::set<std::string> blankedTexts_;
    // Answers the tool's message boxes from its start to its close: a look after the last
    // write may still find a keyword written back after the commands are over.
    std::unique_ptr<MessageBoxAnswerer> answerer_;
};

// The search application records a new keyword every 200 ms while the user deletes 50 rows at
// a time of a 10,000-keyword history. Then, recording one every 2 ms, while the user deletes
// five rows and gives them back: a keyword that stays blank is one a message said could not
// come back. Ten commands each (twenty in make soak, in each of its rounds).
TEST_F(BesideTheSearchApplication, ItsNewKeywordsSurviveTheDeletesAndUndos)
{
    for (int round = 0; round < Rounds(); ++round) {
        for (const int interval : {200, 2}) {
            Start(interval == 200 ? 10000 : 1000);
            SearchApplication searching(folder_.Path(), "write " + std::to_string(Scaled(interval)) + " 20000");
            if (interval == 200)
                Delete(ShortOrSoak(10, 20), 50, 100);
            else
                Delete(ShortOrSoak(10, 20), 5, 100, true);
            const auto writes = searching.Stop();
            const std::map<std::string, std::string> keys = ReadSection("Keywords");
            int lost = 0, refused = 0;
            for (const auto& write : writes) {
                if (!write.second)
                    ++refused;
                else if (!keys.count(write.first) || keys.at(write.first) != "searched " + write.first)
                    ++lost;
            }
            const int blanked = ExpectHistoryKeptAndRowsTrue();
            if (interval == 200) {
                EXPECT_EQ(0, lost + refused);
                EXPECT_GT(blanked, 0);
            } else {
                EXPECT_EQ(0, lost);
                // The box of a look that found keywords blank again follows their rows' going.
                Eventually([&] { return blanked <= NotRestored(); });
                EXPECT_LE(blanked, NotRestored());
            }
            const std::vector<MessageBoxAnswerer::Box> boxes = answerer_->Boxes();
            std::printf("[ stats    ] every %d ms: %d writes, %d lost, %d refused by the system, %d warnings\n",
                        interval, static_cast<int>(writes.size()), lost, refused, static_cast<int>(boxes.size()));
            // It only adds keys: a key caught missing in the middle of its write is the file
            // changing, never a keyword changed since it was shown; and what the system reports
            // only then ("the parameter is incorrect") is said as the file being rewritten.
            for (const MessageBoxAnswerer::Box& box : boxes) {
                EXPECT_EQ(std::string::npos, box.text.find(ShiftJis(L"表示の後で"))) << box.text;
                EXPECT_EQ(std::string::npos, box.text.find(ShiftJis(L"パラメーター"))) << box.text;
            }
            Close();
            DeleteFileA("stop");
        }
    }
}

// A program that read the file before an undo writes its older copy back a moment later,
// while the search application goes on recording: the keywords given back are written again.
// The moment is the program's own, never stretched.
TEST_F(BesideTheSearchApplication, AnOlderCopyWrittenBackAfterAnUndoIsUndoneWhileTheFileKeepsChanging)
{
    Start(1000);
    SearchApplication searching(folder_.Path(), "write 20 20000");
    list_->Select(0, 5);
    Command(ID_KEYWORD_DELETE);
    const std::string older = ReadBytes("history.ini");
    Command(ID_EDIT_UNDO);
    Sleep(300);
    WriteBytes("history.ini", older);
    const auto givenBackOrSaid = [this] {
        std::map<std::string, std::string> keys = ReadSection("Keywords");
        for (int n = 995; n < 1000; ++n)
            if (keys[std::to_string(n)] != KeywordText(n))
                return !answerer_->Boxes().empty();
        return true;
    };
    Eventually(givenBackOrSaid);
    searching.Stop();
    EXPECT_TRUE(givenBackOrSaid()) << "the keywords given back are blank with no word";
    Close();
}

// Another program appends raw lines, creating the file when it finds none, now and then
// between the deletes and now and then while one is written.
TEST_F(BesideTheSearchApplication, LinesAppendedMeanwhileNeverCostTheHistory)
{
    for (int round = 0; round < Rounds(); ++round) {
        Start(10000);
        SearchApplication appending(folder_.Path(), "append " + std::to_string(Scaled(150)));
        Delete(20, 50, 50);
        const auto writes = appending.Stop();
        const std::string bytes = ReadBytes("history.ini");
        int lost = 0;
        for (const auto& write : writes)
            lost += write.second && bytes.find("\n" + write.first + "=") == std::string::npos ? 1 : 0;
        std::printf("[ stats    ] %d lines appended, %d lost, %d warnings\n", static_cast<int>(writes.size()), lost,
                    static_cast<int>(answerer_->Boxes().size()));
        EXPECT_EQ(0, lost);
        EXPECT_GT(ExpectHistoryKeptAndRowsTrue(), 0);
        Close();
        DeleteFileA("stop");
    }
}

// A reader in a tight loop: counts the times it finds the file missing, or holding anything
// but a whole history (its first line and its last section are always there).
struct Watcher {
    volatile LONG stop = 0;
    long reads = 0, missing = 0, partial = 0;

    static DWORD WINAPI Run(void* self)
    {
        auto* watcher = static_cast<Watcher*>(self);
        const std::string head = "[Keywords]\r\nStartPos=0\r\nEndPos=1000\r\n0=";
        const std::string tail = "[Tail]\r\ny=2\r\n";
        std::string bytes(1 << 20, '\0');
        while (!watcher->stop) {
            const HANDLE file = CreateFileA("history.ini", GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) {
                watcher->missing += GetLastError() == ERROR_FILE_NOT_FOUND ? 1 : 0;
                continue;
            }
            DWORD read = 0;
            ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
            CloseHandle(file);
            ++watcher->reads;
            const bool whole = read >= head.size() + tail.size() && bytes.compare(0, head.size(), head) == 0 &&
                               bytes.compare(read - tail.size(), tail.size(), tail) == 0;
            watcher->partial += whole ? 0 : 1;
        }
        return 0;
    }
};

TEST_F(BesideTheSearchApplication, AReaderNeverFindsTheFileMissingOrPartial)
{
    for (int round = 0; round < Rounds(); ++round) {
        Start(1000);
        Watcher watcher;
        const HANDLE thread = CreateThread(nullptr, 0, Watcher::Run, &watcher, 0, nullptr);
        Delete(ShortOrSoak(50, 200), 1, 0);
        InterlockedExchange(&watcher.stop, 1);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        std::printf("[ stats    ] %ld reads, %ld missing, %ld partial, %d warnings\n", watcher.reads, watcher.missing,
                    watcher.partial, static_cast<int>(answerer_->Boxes().size()));
        EXPECT_GT(watcher.reads, 200);
        EXPECT_EQ(0, watcher.missing);
        EXPECT_EQ(0, watcher.partial);
        ExpectHistoryKeptAndRowsTrue();
        Close();
    }
}

} // namespace
