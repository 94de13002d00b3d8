#include "SqlGuard.h"

#include <QList>
#include <QSet>

namespace kv::reports {

namespace {

// The statement seen as a row of tokens: enough to tell what it does, not to parse it.
struct Token {
    enum class Kind { Word, Parameter, Positional, Literal, Semicolon, Other };
    Kind kind = Kind::Other;
    QString text;             // words upper-cased; parameters with their prefix character
    bool callFollows = false; // a word directly followed by '(' : a function call
};

struct Scan {
    QList<Token> tokens;
    QString error;
};

bool isWordStart(QChar c) { return c.isLetter() || c == u'_'; }
bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

Scan scan(const QString& sql)
{
    Scan s;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto add = [&s](Token::Kind kind, QString text = {}, bool call = false) {
        s.tokens.append(Token{kind, std::move(text), call});
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            while (i < n && sql[i] != u'\n')
                ++i;
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0) {
                s.error = QStringLiteral("commentaire « /* » non fermé");
                return s;
            }
            i = end + 2;
        } else if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            // A text literal or a quoted name; a doubled quote stands for itself.
            const QChar close = c == u'[' ? QChar(u']') : c;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < n) {
                if (sql[j] == close) {
                    if (close != u']' && j + 1 < n && sql[j + 1] == close) {
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                ++j;
            }
            if (!closed) {
                s.error = QStringLiteral("guillemet %1 non fermé").arg(c);
                return s;
            }
            add(Token::Kind::Literal);
            i = j + 1;
        } else if (c == u';') {
            add(Token::Kind::Semicolon);
            ++i;
        } else if ((c == u':' || c == u'@' || c == u'$') && i + 1 < n && isWordStart(sql[i + 1])) {
            qsizetype j = i + 1;
            while (j < n && (sql[j].isLetterOrNumber() || sql[j] == u'_'))
                ++j;
            add(Token::Kind::Parameter, sql.mid(i, j - i));
            i = j;
        } else if (c == u'?') {
            ++i;
            while (i < n && sql[i].isDigit())
                ++i;
            add(Token::Kind::Positional);
        } else if (isWordStart(c)) {
            qsizetype j = i;
            while (j < n && isWordChar(sql[j]))
                ++j;
            qsizetype k = j;
            while (k < n && sql[k].isSpace())
                ++k;
            add(Token::Kind::Word, sql.mid(i, j - i).toUpper(), k < n && sql[k] == u'(');
            i = j;
        } else if (c.isDigit()) {
            while (i < n && (sql[i].isLetterOrNumber() || sql[i] == u'.'))
                ++i;
            add(Token::Kind::Other);
        } else {
            add(Token::Kind::Other, QString(c));
            ++i;
        }
    }
    return s;
}

// Statements and clauses that change the database, its schema, its attachments or the transaction.
const QSet<QString>& writingWords()
{
    static const QSet<QString> words{
        QStringLiteral("INSERT"),  QStringLiteral("UPDATE"),    QStringLiteral("DELETE"),
        QStringLiteral("REPLACE"), QStringLiteral("UPSERT"),    QStringLiteral("CREATE"),
        QStringLiteral("DROP"),    QStringLiteral("ALTER"),     QStringLiteral("ATTACH"),
        QStringLiteral("DETACH"),  QStringLiteral("PRAGMA"),    QStringLiteral("VACUUM"),
        QStringLiteral("REINDEX"), QStringLiteral("ANALYZE"),   QStringLiteral("BEGIN"),
        QStringLiteral("COMMIT"),  QStringLiteral("ROLLBACK"),  QStringLiteral("SAVEPOINT"),
        QStringLiteral("RELEASE"), QStringLiteral("RETURNING"), QStringLiteral("TRUNCATE"),
    };
    return words;
}

// Functions that reach outside the database or change it.
const QSet<QString>& forbiddenFunctions()
{
    static const QSet<QString> names{
        QStringLiteral("LOAD_EXTENSION"), QStringLiteral("READFILE"), QStringLiteral("WRITEFILE"),
        QStringLiteral("EDIT"),           QStringLiteral("FTS3_TOKENIZER"),
    };
    return names;
}

} // namespace

QString readOnlyViolation(const QString& sql)
{
    const Scan s = scan(sql);
    if (!s.error.isEmpty())
        return s.error;

    // One statement: a ';' may only close it.
    qsizetype end = s.tokens.size();
    for (qsizetype i = 0; i < s.tokens.size(); ++i) {
        if (s.tokens[i].kind != Token::Kind::Semicolon)
            continue;
        for (qsizetype j = i + 1; j < s.tokens.size(); ++j) {
            if (s.tokens[j].kind != Token::Kind::Semicolon)
                return QStringLiteral("une seule instruction est permise (« ; » au milieu de la requête)");
        }
        end = i;
        break;
    }
    if (end == 0)
        return QStringLiteral("la requête est vide");

    const Token& first = s.tokens.front();
    if (first.kind != Token::Kind::Word || (first.text != u"SELECT" && first.text != u"WITH"))
        return QStringLiteral("seule une lecture (SELECT ou WITH) est permise");

    for (qsizetype i = 0; i < end; ++i) {
        const Token& t = s.tokens[i];
        if (t.kind == Token::Kind::Positional)
            return QStringLiteral("les paramètres « ? » ne sont pas permis : nommez-les (:nom)");
        if (t.kind == Token::Kind::Parameter && !t.text.startsWith(u':'))
            return QStringLiteral("paramètre « %1 » : écrivez :%2").arg(t.text, t.text.mid(1));
        if (t.kind != Token::Kind::Word)
            continue;
        // replace(x, a, b) is a text function, REPLACE INTO a statement.
        if (writingWords().contains(t.text) && !(t.text == u"REPLACE" && t.callFollows))
            return QStringLiteral("le mot « %1 » est interdit : une requête de rapport ne fait que lire").arg(t.text);
        if (t.callFollows && forbiddenFunctions().contains(t.text))
            return QStringLiteral("la fonction « %1 » est interdite").arg(t.text.toLower());
    }
    return {};
}

QStringList parameterNames(const QString& sql)
{
    QStringList names;
    for (const Token& t : scan(sql).tokens) {
        if (t.kind == Token::Kind::Parameter && t.text.startsWith(u':') && !names.contains(t.text.mid(1)))
            names.append(t.text.mid(1));
    }
    return names;
}

} // namespace kv::reports
