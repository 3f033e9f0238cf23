#pragma once
// File-system paths as UTF-8 text with backslash separators, the special
// folders the library knows, and the ":token" resolution of caller paths.

#include <string>

namespace fs {

// UTF-8 <-> UTF-16 for wide Windows calls; invalid sequences are left to Windows.
std::wstring toUtf16(const std::string& utf8);
std::string toUtf8(const std::wstring& utf16);

class Path {
public:
    Path() = default;
    // Drops one trailing separator and turns every '/' into '\'.
    explicit Path(const std::string& utf8);
    virtual ~Path() = default;
    Path(const Path&) = default;
    Path& operator=(const Path&) = default;
    Path(Path&&) noexcept = default;
    Path& operator=(Path&&) noexcept = default;

    // This path, a backslash and the segment (one leading separator of the
    // segment dropped); an empty segment leaves the path as it is.
    Path append(const std::string& segment) const;

    const std::string& text() const noexcept { return text_; }
    std::wstring wide() const { return toUtf16(text_); }
    bool empty() const noexcept { return text_.empty(); }

    // Special folders; a failing Windows call gives an empty or partial path.
    static Path executableFile();
    static Path executableDirectory();
    static Path temporaryDirectory();
    static Path shellFolder(int csidl);
    static Path colorDirectory();

    // Replaces every special-folder token (":desktop", ":temporary", ...)
    // in the text by its folder, then normalises.
    static Path resolve(const std::string& utf8);

private:
    std::string text_;
};

}  // namespace fs
