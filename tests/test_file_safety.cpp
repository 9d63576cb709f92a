// What a deletion does to history.ini where the file system itself is unusual: folders named
// outside the ANSI code page, paths longer than MAX_PATH, a private file. Some need the host
// system beneath Wine and are skipped where it does not allow them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "history/keyword_history.h"
#include "host_command.h"
#include "temp_folder.h"

namespace {

const char kPath[] = ".\\history.ini";
const std::string kThree = "[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=alpha\r\n1=beta\r\n2=gamma\r\n";
const std::string kThreeWithoutBeta = "[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=alpha\r\n1=\r\n2=gamma\r\n";

std::string ReadWide(const std::wstring& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes(1 << 16, '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return bytes.substr(0, read);
}

void WriteWide(const std::wstring& path, const std::string& bytes)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// Deletes keyword 1 of kThree in the current folder.
HistoryOutcome DeleteBeta()
{
    KeywordHistory history(kPath);
    history.Load();
    return history.DeleteKeywords({1}, Deadline());
}

// "café-Ä" has no form in code page 932; its best-fit form names its twin "cafe-A".
TEST(FileSafety, AFolderNamedOutsideTheCodePageIsTheOneChanged)
{
    TempFolder folder;
    const std::wstring cafe = L"caf\u00e9-\u00c4";
    ASSERT_TRUE(CreateDirectoryW(cafe.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(L"cafe-A", nullptr));
    WriteWide(cafe + L"\\history.ini", kThree);
    WriteBytes("cafe-A\\history.ini", kThree);
    ASSERT_TRUE(SetCurrentDirectoryW(cafe.c_str()));
    EXPECT_TRUE(DeleteBeta().AllWritten());
    SetCurrentDirectoryA(folder.Path().c_str());
    EXPECT_EQ(kThreeWithoutBeta, ReadWide(cafe + L"\\history.ini"));
    EXPECT_EQ(kThree, ReadBytes("cafe-A\\history.ini"));
    DeleteFileW((cafe + L"\\history.ini").c_str());
    RemoveDirectoryW(cafe.c_str());
}

TEST(FileSafety, AFileBeyondMaxPathThroughALinkIsChangedAndStaysLinked)
{
    TempFolder folder;
    std::wstring deep = L"\\\\?\\" + std::wstring(folder.Path().begin(), folder.Path().end());
    for (int level = 0; level < 6; ++level) {
        deep += L"\\" + std::wstring(50, static_cast<wchar_t>(L'a' + level));
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    }
    const std::wstring target = deep + L"\\target.ini";
    ASSERT_GT(target.size(), static_cast<size_t>(MAX_PATH));
    WriteWide(target, kThree);
    const std::string hostTarget = HostPath(folder.Path()) + "/" + std::string(50, 'a') + "/" + std::string(50, 'b') +
                                   "/" + std::string(50, 'c') + "/" + std::string(50, 'd') + "/" +
                                   std::string(50, 'e') + "/" + std::string(50, 'f') + "/target.ini";
    if (!MakeLink(hostTarget, "history.ini"))
        GTEST_SKIP() << "no symbolic links here";
    EXPECT_TRUE(DeleteBeta().AllWritten());
    EXPECT_EQ(kThreeWithoutBeta, ReadWide(target));
    WriteWide(target, "changed");
    EXPECT_EQ("changed", ReadBytes("history.ini"));
    DeleteFileA("history.ini");
    DeleteFileW(target.c_str());
    for (int level = 5; level >= 0; --level) {
        RemoveDirectoryW(deep.c_str());
        deep.resize(deep.size() - 51);
    }
}

// A link to a file on another file system: the new content is made beside the file itself, so
// it can take the file's place in one step there, and the link stays a link. Undoing goes the
// same way.
TEST(FileSafety, ALinkToAFileOnAnotherFileSystemIsChangedAndGivenBack)
{
    TempFolder folder;
    CreateDirectoryA("elsewhere", nullptr);
    const std::string host = HostPath(folder.Path() + "\\elsewhere");
    if (host.empty() || RunOnHost("mount -t tmpfs -o size=1m tmpfs '" + host + "'") != 0)
        GTEST_SKIP() << "no other file system here";
    WriteBytes("elsewhere\\history.ini", kThree);
    if (MakeLink(host + "/history.ini", "history.ini")) {
        KeywordHistory history(kPath);
        history.Load();
        HistoryOutcome deleted = history.DeleteKeywords({1}, Deadline());
        EXPECT_TRUE(deleted.AllWritten());
        EXPECT_EQ(kThreeWithoutBeta, ReadBytes("elsewhere\\history.ini"));
        EXPECT_EQ(1u, history.RestoreKeywords(deleted.blanked, Deadline()).changed.size());
        EXPECT_EQ(kThree, ReadBytes("elsewhere\\history.ini"));
        WriteBytes("elsewhere\\history.ini", "changed");
        EXPECT_EQ("changed", ReadBytes("history.ini"));
        DeleteFileA("history.ini");
    }
    DeleteFileA("elsewhere\\history.ini");
    RunOnHost("cd / && umount -l '" + host + "'");
}

// Wine keeps rights in the host's mode bits and cannot say "the owner only": a private file
// comes out readable by its group, never by others, and never executable.
TEST(FileSafety, APrivateFileStaysPrivate)
{
    TempFolder folder;
    const std::string host = HostPath(folder.Path() + "\\history.ini");
    for (const auto& mode : {std::make_pair("600", "640"), std::make_pair("644", "644")}) {
        WriteBytes("history.ini", kThree);
        if (host.empty() || RunOnHost(std::string("chmod ") + mode.first + " '" + host + "'") != 0)
            GTEST_SKIP() << "no host file modes here";
        EXPECT_TRUE(DeleteBeta().AllWritten());
        EXPECT_EQ(kThreeWithoutBeta, ReadBytes("history.ini"));
        EXPECT_EQ(0, RunOnHost("test $(stat -c %a '" + host + "') = " + mode.second)) << mode.first;
    }
}

} // namespace
