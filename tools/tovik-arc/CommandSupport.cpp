// What the subcommands of tovik-arc share.
#include "Commands.h"

#include "archive/LxArcImpl.h"
#include "platform/Cp932.h"
#include "platform/VisibleText.h"

#include <sys/stat.h>

namespace tovik::arc {

int Fail(std::string_view message)
{
    const std::string text = tovik::platform::VisibleControls(message);
    std::fprintf(stderr, "tovik-arc: %s\n", text.c_str());
    return kExitFailure;
}

std::string ToUtf8(std::string_view cp932)
{
    for (char c : cp932)
        if (static_cast<unsigned char>(c) >= 0x80)
            return tovik::platform::Cp932ToUtf8(cp932);
    return std::string(cp932);
}

std::string NameText(std::string_view cp932)
{
    return tovik::platform::VisibleControls(ToUtf8(cp932));
}

bool ChooseLibrary(TLxArcImpl &impl, const std::string &path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        Fail(path + ": ファイルが見つかりません (no such file)");
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        Fail(path + ": 書庫ファイルではありません (not a regular file)");
        return false;
    }
    // Loading only the libraries the file's extension can choose keeps a one-shot command
    // from paying for every installed library.
    impl.Registry().ProbeForFile(path);
    impl.SetFileName(path);
    if (!impl.Registry().CurrentItem()) {
        Fail(path + ": " + ToUtf8(UnsupportedFormatMessage()) + " (no installed archiver library handles this file)");
        return false;
    }
    return true;
}

std::unique_ptr<TLxArchiveBase> OpenChosen(TLxArcImpl &impl)
{
    TArcInfoList &registry = impl.Registry();
    std::unique_ptr<TLxArchiveBase> wrapper = registry.CreateWrapper(registry.CurrentItem());
    if (!wrapper || !wrapper->OpenArchive(nullptr, impl.FileName())) {
        Fail(impl.FileName() + ": 書庫を開けません (" + (registry.CurrentItem() ? registry.CurrentItem()->LibraryName : "?") +
             " cannot open it)");
        return nullptr;
    }
    return wrapper;
}

bool Output::Flush()
{
    if (!buffer_.empty() && !failed_) {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size())
            failed_ = true;
    }
    buffer_.clear();
    if (std::fflush(stdout) != 0)
        failed_ = true;
    return !failed_;
}

} // namespace tovik::arc
