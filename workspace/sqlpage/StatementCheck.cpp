#include "workspace/sqlpage/StatementCheck.h"

#include "components/Utils.h"
#include "workspace/sqlpage/SqlCommandLine.h"

namespace {

// One database's reading of quotes and comments.
struct Dialect {
    bool backslashEscapes = false;  // every quoted text takes "\" as an escape (MySQL; PostgreSQL
                                    // with standard_conforming_strings off)
    bool escapeStrings = false;     // E'...' takes "\" as an escape (PostgreSQL)
    bool dollarQuotes = false;      // $tag$...$tag$ (PostgreSQL)
    bool nestedComments = false;    // /* /* */ */ is one comment (PostgreSQL, SQL Server)
    bool bracketNames = false;      // [name] and `name` (SQLite, Access, SQL Server, MySQL)
    bool doubledBrackets = false;   // "]]" inside [name] stands for "]" (SQL Server)
};

constexpr Dialect kDialects[] = {
    {},                                                    // the standard
    {.backslashEscapes = true},
    {.escapeStrings = true, .dollarQuotes = true, .nestedComments = true},
    {.bracketNames = true},
    {.nestedComments = true, .bracketNames = true, .doubledBrackets = true},
};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}

bool isIdentifierChar(QChar c)
{
    return c.unicode() >= 0x80 || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
           || c == u'_' || c == u'$';
}

class Scanner {
public:
    Scanner(const QString& text, const Dialect& dialect) : s_(text), d_(dialect) {}

    // True when a second statement with content follows a ";".
    bool severalStatements()
    {
        bool ended = false;    // a statement with content was closed by ";"
        bool content = false;  // the statement being read has content
        while (i_ < s_.size()) {
            const QChar c = s_[i_];
            if (isBlank(c)) {
                ++i_;
            } else if (startsWith(u"--")) {
                skipLineComment();
            } else if (startsWith(u"/*")) {
                skipBlockComment();
            } else if (c == u';') {
                ++i_;
                if (content)
                    ended = true;
                content = false;
            } else {
                if (ended)
                    return true;
                content = true;
                skipToken();
            }
        }
        return false;
    }

private:
    bool startsWith(const char16_t* two) const
    {
        return i_ + 1 < s_.size() && s_[i_] == QChar(two[0]) && s_[i_ + 1] == QChar(two[1]);
    }

    void skipLineComment()
    {
        while (i_ < s_.size() && s_[i_] != u'\n' && s_[i_] != u'\r')
            ++i_;
    }

    void skipBlockComment()
    {
        int depth = 0;
        while (i_ < s_.size()) {
            if (startsWith(u"/*") && (depth == 0 || d_.nestedComments)) {
                ++depth;
                i_ += 2;
            } else if (startsWith(u"*/")) {
                i_ += 2;
                if (--depth == 0)
                    return;
            } else {
                ++i_;
            }
        }
    }

    // Skips from an opening mark to its closing one; a doubled closing mark stands for itself.
    void skipQuoted(QChar close, bool backslash, bool doubled = true)
    {
        ++i_;
        while (i_ < s_.size()) {
            const QChar c = s_[i_];
            if (backslash && c == u'\\') {
                i_ += 2;
            } else if (c == close) {
                ++i_;
                if (!(doubled && i_ < s_.size() && s_[i_] == close))
                    return;
                ++i_;
            } else {
                ++i_;
            }
        }
    }

    // A dollar quote's opening delimiter at i_ ("$$" or "$tag$"), or empty when there is none: a
    // "$" inside a name, or before a digit ("$1", a parameter), opens none.
    QString dollarDelimiter() const
    {
        if (i_ > 0 && isIdentifierChar(s_[i_ - 1]))
            return {};
        qsizetype j = i_ + 1;
        if (j < s_.size() && s_[j] != u'$') {
            if (!isIdentifierChar(s_[j]) || (s_[j] >= u'0' && s_[j] <= u'9'))
                return {};
            while (j < s_.size() && isIdentifierChar(s_[j]) && s_[j] != u'$')
                ++j;
        }
        if (j < s_.size() && s_[j] == u'$')
            return s_.mid(i_, j - i_ + 1);
        return {};
    }

    void skipToken()
    {
        const QChar c = s_[i_];
        if (c == u'\'') {
            const bool escape = d_.escapeStrings && i_ > 0 && (s_[i_ - 1] == u'E' || s_[i_ - 1] == u'e')
                                && !(i_ > 1 && isIdentifierChar(s_[i_ - 2]));
            skipQuoted(u'\'', d_.backslashEscapes || escape);
        } else if (c == u'"') {
            skipQuoted(u'"', d_.backslashEscapes);
        } else if (d_.bracketNames && c == u'`') {
            skipQuoted(u'`', false);
        } else if (d_.bracketNames && c == u'[') {
            skipQuoted(u']', false, d_.doubledBrackets);
        } else if (d_.dollarQuotes && c == u'$') {
            const QString delimiter = dollarDelimiter();
            if (delimiter.isEmpty()) {
                ++i_;
                return;
            }
            const qsizetype end = s_.indexOf(delimiter, i_ + delimiter.size());
            i_ = end < 0 ? s_.size() : end + delimiter.size();
        } else {
            ++i_;
        }
    }

    const QString& s_;
    const Dialect& d_;
    qsizetype i_ = 0;
};

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

bool HoldsOneStatement(const QString& Text)
{
    for (const Dialect& dialect : kDialects) {
        if (Scanner(Text, dialect).severalStatements())
            return false;
    }
    return true;
}

bool RefuseStatementText(const QString& Text, const QString& Kind)
{
    if (!HoldsOneStatement(Text)) {
        AppMessageDlg(QStringLiteral("Only one statement is run at a time, and this text holds more than one (a \";\" "
                                     "outside quotes and comments is followed by more). Nothing was sent to the "
                                     "database.")
                          + kCrLf + kCrLf + Text,
                      mtError, mbOK);
        return true;
    }
    if (Kind == QLatin1String("UPDATE") || Kind == QLatin1String("DELETE")) {
        // The count is cut from the text without regard to its quotes: the pieces joined anew
        // could read as more than one statement.
        const QString count = CountStatement(Text);
        if (!HoldsOneStatement(count)) {
            AppMessageDlg(QStringLiteral("The query would result in an error and cannot be executed.") + kCrLf + kCrLf
                              + count + kCrLf,
                          mtWarning, mbOK);
            return true;
        }
    }
    return false;
}
