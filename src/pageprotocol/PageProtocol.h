#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The line protocol between the program and parcelo-page, the process that owns the
// web engine. Every line is printable ASCII (0x20..0x7e) ended by "\n", at most
// kPageLineLimit bytes with the newline: a verb, then its arguments, one space apart.
// Numbers are plain decimal within the verb's bounds; texts (addresses, scripts and
// their results) are percent-encoded UTF-8, so they hold no space and no control
// character. A line that breaks any of this is refused, and so is a verb the sender
// has no business sending.
namespace parcelo {

inline constexpr std::size_t kPageLineLimit = 4096;

enum class PageVerb {
    // From the program to the page.
    Scale,  // <per mille>: the program's scale, 1000 at 96 dpi
    Zoom,   // <0..4>: the text size
    Shrink, // <0|1>: fit pages wider than the view to its width
    Open,   // <address>
    Stop,   // stop the page that is loading
    Place,  // <x> <y> <width> <height>: where the page goes, in the program's screen pixels
    Show,   // show the page window (once it is where it belongs)
    Quit,
    Eval,  // <script>: run a script in the page, answered by Result (only with PARCELO_PAGE_TESTING)
    Press, // <key>: a key as if pressed in the page (only with PARCELO_PAGE_TESTING)
    // From the page to the program.
    Ready,   // <window id>: the page window exists and takes commands
    Loading, // a page starts loading
    Loaded,  // a page has finished loading, or failed to
    Key,     // <tools|close>: a key of the program's pressed in the page
    Result,  // <text>: the answer to Eval
};

enum class PageSender { Program, Page };

struct PageMessage {
    PageVerb verb = PageVerb::Quit;
    std::vector<int64_t> numbers;
    std::string text; // decoded; the key name for Key and Press
    friend bool operator==(const PageMessage&, const PageMessage&) = default;
};

// The line for `message`, newline included; empty when the message does not fit a
// line (a text too long, a number out of bounds, a key name unknown).
std::string FormatPageLine(const PageMessage& message);
// The message of one line without its newline, when `sender` may send it.
std::optional<PageMessage> ParsePageLine(std::string_view line, PageSender sender);

// Percent-encoding of UTF-8 text: letters, digits and "-._~" stay, every other byte
// becomes %XX in upper case. Decoding refuses any other spelling, so that a line the
// parser accepts is exactly the line FormatPageLine makes of its message.
std::string PercentEncode(std::string_view bytes);
std::optional<std::string> PercentDecode(std::string_view encoded);

// Splits what arrives on a pipe into lines. Once it meets a byte that is not printable
// ASCII or a line longer than the limit, it is broken and gives no more lines.
class PageLineReader {
public:
    // Takes `bytes`; false once broken.
    bool Feed(std::string_view bytes);
    // The next whole line, without its newline.
    std::optional<std::string> TakeLine();
    bool Broken() const { return m_broken; }

private:
    std::string m_pending; // bytes after the last line taken
    std::size_t m_scanned = 0;
    std::vector<std::string> m_lines;
    std::size_t m_next = 0;
    bool m_broken = false;
};

} // namespace parcelo
