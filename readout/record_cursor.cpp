#include "readout/record_cursor.h"

#include <algorithm>
#include <cstring>

namespace cellwatch {

RecordCursor::Kind RecordCursor::next() {
    recordLine_ = line_;
    recordStart_ = p_;
    if (p_ == end_) {
        return Kind::End;
    }
    const void* found = std::memchr(p_, '\n', static_cast<std::size_t>(end_ - p_));
    lineEnd_ = found != nullptr ? static_cast<const char*>(found) : end_;
    terminated_ = found != nullptr;
    const char* const after = terminated_ ? lineEnd_ + 1 : end_;
    ++line_;
    tooLong_ = false;
    brokenField_ = kNone;
    if (*p_ == '#') {
        comment_ = std::string_view(p_ + 1, static_cast<std::size_t>(lineEnd_ - p_ - 1));
        if (!comment_.empty() && comment_.back() == '\r') {
            comment_.remove_suffix(1);
        }
        p_ = after;
        return Kind::Comment;
    }
    fields_.clear();
    if (static_cast<std::size_t>(lineEnd_ - p_) > kMaxLineBytes) {
        tooLong_ = true;
        p_ = after;
        return Kind::Record;
    }
    for (;;) {
        if (separator_ == ',' && p_ != lineEnd_ && *p_ == '"') {
            readField();
        } else {
            // An unquoted field, byte by byte: a row's fields are a few bytes
            // each, too short for a search function to pay.
            const char* q = p_;
            while (q != lineEnd_ && *q != separator_) {
                ++q;
            }
            fields_.push_back(Span{p_, trimmed(q, p_), false, false});
            p_ = q;
        }
        if (p_ == lineEnd_) {
            break;
        }
        ++p_;  // the separator
    }
    p_ = after;
    if (quotedComment()) {
        return Kind::Comment;
    }
    const bool blank = fields_.size() == 1 && fields_[0].begin == fields_[0].end &&
                       !fields_[0].quoted && terminated_;
    return blank ? Kind::Blank : Kind::Record;
}

RecordCursor::Kind RecordCursor::rereadWith(char separator) {
    separator_ = separator;
    p_ = recordStart_;
    line_ = recordLine_;
    return next();
}

std::size_t RecordCursor::fieldCountWith(char separator) const {
    if (recordStart_ == nullptr || recordStart_ == end_) {
        return 0;
    }
    return static_cast<std::size_t>(std::count(recordStart_, lineEnd_, separator)) + 1;
}

bool RecordCursor::quotedComment() {
    if (separator_ != ',' || fields_.empty() || !fields_[0].quoted || brokenField_ == 0 ||
        fields_[0].begin == fields_[0].end || *fields_[0].begin != '#') {
        return false;
    }
    for (std::size_t i = 1; i < fields_.size(); ++i) {
        if (fields_[i].begin != fields_[i].end || fields_[i].quoted) {
            return false;
        }
    }
    std::string scratch;
    const std::string_view text = field(0, scratch);
    commentText_.assign(text.substr(1));
    comment_ = commentText_;
    return true;
}

std::string_view RecordCursor::field(std::size_t i, std::string& scratch) const {
    if (i >= fields_.size()) {
        return {};
    }
    const Span& s = fields_[i];
    std::string_view raw(s.begin, static_cast<std::size_t>(s.end - s.begin));
    // A text written so that a spreadsheet takes it as text, not as a
    // formula ('+CHG+, '=…): the quote mark is the writer's, not the text's.
    if (raw.size() >= 2 && raw[0] == '\'' &&
        std::string_view("=+-@\t\r").find(raw[1]) != std::string_view::npos) {
        raw.remove_prefix(1);
    }
    if (!s.escaped) {
        return raw;
    }
    scratch.clear();
    for (std::size_t k = 0; k < raw.size(); ++k) {
        scratch += raw[k];
        if (raw[k] == '"') {
            ++k;  // the second of a doubled quote
        }
    }
    return scratch;
}

void RecordCursor::readField() {
    const char* start = p_;
    // Only comma-separated texts are quoted; a tab-separated one is taken as
    // it stands, quotes and all.
    if (separator_ == ',' && p_ != lineEnd_ && *p_ == '"') {
        Span s{p_ + 1, lineEnd_, true, false};
        for (const char* q = p_ + 1; q != lineEnd_; ++q) {
            if (*q == '"') {
                if (q + 1 != lineEnd_ && q[1] == '"') {
                    s.escaped = true;
                    ++q;
                    continue;
                }
                s.end = q;
                break;
            }
        }
        if (s.end == lineEnd_) {  // the quote never closes on this line
            s.end = trimmed(lineEnd_, s.begin);
            brokenField_ = fields_.size();
            fields_.push_back(s);
            p_ = lineEnd_;
            return;
        }
        const char* after = s.end + 1;
        if (after != lineEnd_ && *after == '\r' && after + 1 == lineEnd_) {
            ++after;
        }
        if (after == lineEnd_ || *after == separator_) {
            fields_.push_back(s);
            p_ = after;
            return;
        }
        // Text after the closing quote: not proper CSV; the field is
        // taken as it stands, from its opening quote on.
    }
    const void* found = std::memchr(start, separator_, static_cast<std::size_t>(lineEnd_ - start));
    const char* q = found != nullptr ? static_cast<const char*>(found) : lineEnd_;
    fields_.push_back(Span{start, trimmed(q, start), false, false});
    p_ = q;
}

}  // namespace cellwatch
