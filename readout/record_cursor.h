// Walking a recording's text line by line, for RecordingFile.
//
// A recording's texts never hold a line break, so every line is a record of
// its own: a damaged line (a stray quote, a lost line break) costs that line
// only. Fields are parted by commas, quoted as RFC 4180 has it within the
// line (a CSV export, a journal), or by tabs, taken as they stand
// (cellwatch-log's lines hold the table's texts unquoted). A CR before the
// line's LF is not part of the last field.
//
// A comment is a line starting with '#', or, in a comma-separated text, a
// line whose first field is quoted and starts with '#' and whose other fields
// (a spreadsheet may add them) are empty: the journal writes its comments as
// one quoted field ("# alarm cell-high: Cell 3 at 4.27 V, ..."), so that
// each stays one cell where a spreadsheet opens it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cellwatch {

class RecordCursor {
public:
    enum class Kind { End, Comment, Blank, Record };

    // Longer lines are no rows of a recording (a row is about 150 bytes):
    // such a line is a record without fields, broken().
    static constexpr std::size_t kMaxLineBytes = 64 * 1024;

    RecordCursor(const char* begin, const char* end, char separator = ',')
        : p_(begin), end_(end), separator_(separator) {}

    void seek(const char* at) { p_ = at; }
    // Where the next line starts.
    const char* position() const { return p_; }
    // Passes over the line starting at position(), read by the caller,
    // to the next one at `next`.
    void skipLine(const char* next) {
        recordStart_ = p_;
        recordLine_ = line_++;
        p_ = next;
    }
    // The line the last record started on, 1 = the first.
    std::size_t line() const { return recordLine_; }

    // Reads the next line: a comment (a line starting with '#', or one
    // quoted field starting with '#'), a blank line, or a record with its
    // fields.
    Kind next();
    // Reads the last line again, its fields parted by `separator` from now on.
    Kind rereadWith(char separator);
    char separator() const { return separator_; }

    // A comment's text after its '#', quotes undone; valid until the next line.
    std::string_view comment() const { return comment_; }
    std::size_t fieldCount() const { return fields_.size(); }
    // How many fields the last line holds when parted by `separator`, quotes
    // left as they stand.
    std::size_t fieldCountWith(char separator) const;
    bool terminated() const { return terminated_; }
    // The line is longer than any row, or a quote in one of its first
    // `fields` fields never closes.
    bool broken(std::size_t fields) const { return tooLong_ || brokenField_ < fields; }
    const char* recordStart() const { return recordStart_; }

    // A field's text, quotes removed and doubled quotes undone (in scratch);
    // empty beyond the last field.
    std::string_view field(std::size_t i, std::string& scratch) const;

private:
    struct Span {
        const char* begin;
        const char* end;
        bool quoted;
        bool escaped;  // holds doubled quotes
    };

    // The end of a field's text at the end of the line: without a CR.
    const char* trimmed(const char* fieldEnd, const char* start) const {
        return fieldEnd == lineEnd_ && fieldEnd != start && fieldEnd[-1] == '\r' ? fieldEnd - 1
                                                                                 : fieldEnd;
    }
    // Reads one field and leaves p_ at the separator or the line's end.
    void readField();
    // Whether the fields just read are a quoted comment; sets comment_.
    bool quotedComment();

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    const char* p_;
    const char* end_;
    char separator_;
    const char* lineEnd_ = nullptr;
    const char* recordStart_ = nullptr;
    std::size_t line_ = 1;
    std::size_t recordLine_ = 1;
    std::vector<Span> fields_;
    std::string_view comment_;
    std::string commentText_;  // a quoted comment's text, its quotes undone
    bool terminated_ = false;
    bool tooLong_ = false;
    std::size_t brokenField_ = kNone;
};

}  // namespace cellwatch
