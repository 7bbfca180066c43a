#include "transfer/CsvReader.h"

#include "platform/Translation.h"

namespace parcelo {

namespace {

bool IsLineEnd(char16_t c) {
    return c == u'\r' || c == u'\n';
}

} // namespace

CsvReader::CsvReader(std::u16string_view text, CsvLimits limits) : m_text(text), m_limits(limits) {
    if (text.size() > limits.maxTextUnits) {
        Fail(1, PARCELO_TR("CsvReader", "파일이 너무 큽니다"));
    }
}

bool CsvReader::Fail(size_t line, std::u16string reason) {
    if (!m_error) {
        m_error = CsvError{line, std::move(reason)};
    }
    m_pos = m_text.size();
    return false;
}

void CsvReader::SkipLineEnd() {
    if (m_pos < m_text.size() && m_text[m_pos] == u'\r') {
        ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == u'\n') {
            ++m_pos;
        }
    } else if (m_pos < m_text.size() && m_text[m_pos] == u'\n') {
        ++m_pos;
    }
    ++m_line;
}

bool CsvReader::ReadUnquoted(std::u16string& field) {
    const size_t start = m_pos;
    while (m_pos < m_text.size() && m_text[m_pos] != u',' && !IsLineEnd(m_text[m_pos])) {
        ++m_pos;
        if (m_pos - start > m_limits.maxFieldUnits) {
            return Fail(m_line, PARCELO_TR("CsvReader", "칸이 너무 깁니다"));
        }
    }
    field.assign(m_text.substr(start, m_pos - start));
    return true;
}

bool CsvReader::ReadQuoted(std::u16string& field) {
    const size_t startLine = m_line;
    ++m_pos; // the opening quote
    field.clear();
    while (true) {
        const size_t run = m_text.find(u'"', m_pos);
        if (run == std::u16string_view::npos) {
            return Fail(startLine, PARCELO_TR("CsvReader", "따옴표가 닫히지 않았습니다"));
        }
        const std::u16string_view piece = m_text.substr(m_pos, run - m_pos);
        if (field.size() + piece.size() > m_limits.maxFieldUnits) {
            return Fail(startLine, PARCELO_TR("CsvReader", "칸이 너무 깁니다"));
        }
        for (size_t i = 0; i < piece.size(); ++i) {
            // CRLF counts as one line end, as outside quotes.
            if (piece[i] == u'\n' || (piece[i] == u'\r' && (i + 1 >= piece.size() || piece[i + 1] != u'\n'))) {
                ++m_line;
            }
        }
        field.append(piece);
        m_pos = run + 1;
        if (m_pos < m_text.size() && m_text[m_pos] == u'"') {
            if (field.size() + 1 > m_limits.maxFieldUnits) {
                return Fail(startLine, PARCELO_TR("CsvReader", "칸이 너무 깁니다"));
            }
            field.push_back(u'"');
            ++m_pos;
            continue;
        }
        if (m_pos < m_text.size() && m_text[m_pos] != u',' && !IsLineEnd(m_text[m_pos])) {
            return Fail(m_line, PARCELO_TR("CsvReader", "닫는 따옴표 뒤에 쉼표나 줄 끝이 없습니다"));
        }
        return true;
    }
}

bool CsvReader::Next(CsvRow& row) {
    row.fields.clear();
    while (m_pos < m_text.size() && IsLineEnd(m_text[m_pos])) {
        SkipLineEnd(); // empty lines
    }
    if (m_pos >= m_text.size()) {
        return false;
    }
    if (m_rows >= m_limits.maxRows) {
        return Fail(m_line, PARCELO_TR("CsvReader", "줄이 너무 많습니다"));
    }
    row.line = m_line;
    while (true) {
        if (row.fields.size() >= m_limits.maxColumns) {
            return Fail(m_line, PARCELO_TR("CsvReader", "열이 너무 많습니다"));
        }
        std::u16string& field = row.fields.emplace_back();
        const bool ok = m_text[m_pos] == u'"' ? ReadQuoted(field) : ReadUnquoted(field);
        if (!ok) {
            return false;
        }
        if (m_pos < m_text.size() && m_text[m_pos] == u',') {
            ++m_pos;
            if (m_pos >= m_text.size() || IsLineEnd(m_text[m_pos])) {
                row.fields.emplace_back(); // a trailing separator ends with an empty field
                if (row.fields.size() > m_limits.maxColumns) {
                    return Fail(m_line, PARCELO_TR("CsvReader", "열이 너무 많습니다"));
                }
                break;
            }
            continue;
        }
        break;
    }
    if (m_pos < m_text.size()) {
        SkipLineEnd();
    }
    ++m_rows;
    return true;
}

} // namespace parcelo
