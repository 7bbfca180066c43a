#include "transfer/CsvWriter.h"

#include "platform/Utf8.h"

namespace parcelo {

namespace {

bool IsFormulaStart(char16_t c) {
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
}

bool NeedsQuotes(char16_t c) {
    return c == u',' || c == u'"' || c == u'\r' || c == u'\n';
}

} // namespace

bool NeedsFormulaGuard(std::u16string_view text) {
    const size_t first = text.find_first_not_of(u'\'');
    return first != std::u16string_view::npos && IsFormulaStart(text[first]);
}

std::u16string_view UnguardCsvText(std::u16string_view text) {
    if (!text.empty() && text.front() == u'\'' && NeedsFormulaGuard(text)) {
        text.remove_prefix(1);
    }
    return text;
}

CsvWriter::CsvWriter() : m_out("\xEF\xBB\xBF") {}

void CsvWriter::Separate() {
    if (m_rowStarted) {
        m_out.push_back(',');
    }
    m_rowStarted = true;
}

void CsvWriter::TextField(std::u16string_view text) {
    Separate();
    AppendQuotedUtf8(text, NeedsFormulaGuard(text));
}

void CsvWriter::PlainField(std::string_view text) {
    Separate();
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        m_out.append(text);
        return;
    }
    m_out.push_back('"');
    for (const char c : text) {
        if (c == '"') {
            m_out.push_back('"');
        }
        m_out.push_back(c);
    }
    m_out.push_back('"');
}

void CsvWriter::EndRow() {
    m_out.append("\r\n");
    m_rowStarted = false;
}

void CsvWriter::AppendQuotedUtf8(std::u16string_view text, bool apostrophe) {
    bool quoted = false;
    for (const char16_t c : text) {
        if (NeedsQuotes(c)) {
            quoted = true;
            break;
        }
    }
    if (quoted) {
        m_out.push_back('"');
    }
    if (apostrophe) {
        m_out.push_back('\'');
    }
    ForEachCodePoint(text, [this](char32_t cp) {
        if (cp == U'"') {
            m_out.push_back('"');
        }
        AppendUtf8(m_out, cp);
    });
    if (quoted) {
        m_out.push_back('"');
    }
}

} // namespace parcelo
