#include "Dialect.h"

#include "Error.h"

#include <QSet>

namespace kv::db::detail {

namespace {

struct Token {
    enum Kind { Word, Quoted, String, Number, Param, Op, Blob };
    Kind kind;
    QString text;
    bool spaceBefore = false;
};

bool wordStart(QChar c) { return c.isLetter() || c == u'_'; }
bool wordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

QList<Token> tokenize(const QString& sql)
{
    QList<Token> tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    bool space = false;
    auto push = [&](Token::Kind kind, qsizetype from, qsizetype to) {
        tokens.append(Token{kind, sql.mid(from, to - from), space});
        space = false;
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            space = true;
            ++i;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            while (i < n && sql[i] != u'\n')
                ++i;
            space = true;
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            space = true;
        } else if (c == u'\'') {
            qsizetype j = i + 1;
            while (j < n) {
                if (sql[j] == u'\'') {
                    if (j + 1 < n && sql[j + 1] == u'\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            if (j >= n)
                throw Error(QStringLiteral("Texte entre apostrophes non terminé dans la requête"));
            const bool blob = !tokens.isEmpty() && tokens.last().kind == Token::Word && !space
                              && tokens.last().text.compare(QLatin1String("x"), Qt::CaseInsensitive) == 0;
            if (blob)
                tokens.removeLast();
            push(blob ? Token::Blob : Token::String, i, j + 1);
            i = j + 1;
        } else if (c == u'"' || c == u'`' || c == u'[') {
            const QChar close = c == u'[' ? u']' : c;
            qsizetype j = i + 1;
            while (j < n && sql[j] != close)
                ++j;
            if (j >= n)
                throw Error(QStringLiteral("Nom entre guillemets non terminé dans la requête"));
            push(Token::Quoted, i + 1, j);
            i = j + 1;
        } else if (c == u'?') {
            qsizetype j = i + 1;
            while (j < n && sql[j].isDigit())
                ++j;
            push(Token::Param, i, j);
            i = j;
        } else if ((c == u':' || c == u'@' || c == u'$') && i + 1 < n && wordStart(sql[i + 1])
                   && !(c == u':' && i > 0 && sql[i - 1] == u':')) {
            qsizetype j = i + 1;
            while (j < n && (sql[j].isLetterOrNumber() || sql[j] == u'_'))
                ++j;
            push(Token::Param, i, j);
            i = j;
        } else if (wordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && wordChar(sql[j]))
                ++j;
            push(Token::Word, i, j);
            i = j;
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && sql[i + 1].isDigit())) {
            qsizetype j = i + 1;
            while (j < n && (sql[j].isLetterOrNumber() || sql[j] == u'.'
                             || ((sql[j] == u'+' || sql[j] == u'-') && (sql[j - 1] == u'e' || sql[j - 1] == u'E'))))
                ++j;
            push(Token::Number, i, j);
            i = j;
        } else {
            static const QStringList twoChars{QStringLiteral("||"), QStringLiteral("<="), QStringLiteral(">="),
                                              QStringLiteral("<>"), QStringLiteral("!="), QStringLiteral("=="),
                                              QStringLiteral("<<"), QStringLiteral(">>"), QStringLiteral("::")};
            const QString two = sql.mid(i, 2);
            if (twoChars.contains(two)) {
                push(Token::Op, i, i + 2);
                i += 2;
            } else {
                push(Token::Op, i, i + 1);
                ++i;
            }
        }
    }
    return tokens;
}

bool isWord(const Token& t, const char* upper)
{
    return t.kind == Token::Word && t.text.compare(QLatin1String(upper), Qt::CaseInsensitive) == 0;
}
bool isOp(const Token& t, const char* op) { return t.kind == Token::Op && t.text == QLatin1String(op); }

QString upperOf(const Token& t) { return t.kind == Token::Word ? t.text.toUpper() : QString(); }

/// Index of the ")" that closes the "(" at `open`, or -1.
qsizetype closing(const QList<Token>& t, qsizetype open)
{
    int depth = 0;
    for (qsizetype i = open; i < t.size(); ++i) {
        if (isOp(t[i], "("))
            ++depth;
        else if (isOp(t[i], ")") && --depth == 0)
            return i;
    }
    return -1;
}

/// Number of arguments of the call whose "(" is at `open`.
int argumentCount(const QList<Token>& t, qsizetype open)
{
    int depth = 0, commas = 0;
    bool any = false;
    for (qsizetype i = open; i < t.size(); ++i) {
        if (isOp(t[i], "(")) {
            ++depth;
            if (depth == 1)
                continue;
        } else if (isOp(t[i], ")")) {
            if (--depth == 0)
                break;
        } else if (depth == 1 && isOp(t[i], ",")) {
            ++commas;
        }
        any = true;
    }
    return any ? commas + 1 : 0;
}

const QSet<QString>& writingWords()
{
    static const QSet<QString> words{
        QStringLiteral("INSERT"), QStringLiteral("UPDATE"),   QStringLiteral("DELETE"),  QStringLiteral("REPLACE"),
        QStringLiteral("CREATE"), QStringLiteral("DROP"),     QStringLiteral("ALTER"),   QStringLiteral("TRUNCATE"),
        QStringLiteral("GRANT"),  QStringLiteral("REVOKE"),   QStringLiteral("COPY"),    QStringLiteral("CALL"),
        QStringLiteral("DO"),     QStringLiteral("LOCK"),     QStringLiteral("VACUUM"),  QStringLiteral("REINDEX"),
        QStringLiteral("CLUSTER"), QStringLiteral("COMMENT"), QStringLiteral("MERGE"),   QStringLiteral("REFRESH"),
        QStringLiteral("INTO"),   QStringLiteral("NEXTVAL"),  QStringLiteral("SETVAL"),  QStringLiteral("SET_CONFIG"),
        QStringLiteral("PRAGMA"), QStringLiteral("ATTACH"),   QStringLiteral("DETACH"),  QStringLiteral("SECURITY"),
        QStringLiteral("LISTEN"), QStringLiteral("NOTIFY"),   QStringLiteral("PG_NOTIFY"), QStringLiteral("DISCARD"),
        QStringLiteral("RESET"),  QStringLiteral("SET"),      QStringLiteral("PREPARE"), QStringLiteral("EXECUTE"),
        QStringLiteral("BEGIN"),  QStringLiteral("COMMIT"),   QStringLiteral("ROLLBACK"), QStringLiteral("SAVEPOINT"),
        QStringLiteral("RELEASE"), QStringLiteral("ANALYZE")};
    return words;
}

/// The functions whose SQLite meaning the kavorel schema gives (PgEngine.cpp).
const QHash<QString, QString>& functions()
{
    static const QHash<QString, QString> map{
        {QStringLiteral("TOTAL"), QStringLiteral("kavorel.total")},
        {QStringLiteral("IFNULL"), QStringLiteral("coalesce")},
        {QStringLiteral("GROUP_CONCAT"), QStringLiteral("kavorel.group_concat")},
        {QStringLiteral("DATE"), QStringLiteral("kavorel.date")},
        {QStringLiteral("ROUND"), QStringLiteral("kavorel.round")},
        {QStringLiteral("STRFTIME"), QStringLiteral("kavorel.strftime")},
        {QStringLiteral("TYPEOF"), QStringLiteral("kavorel.typeof")},
        {QStringLiteral("INSTR"), QStringLiteral("strpos")},
    };
    return map;
}

const QSet<QString>& clauseWords()
{
    static const QSet<QString> words{QStringLiteral("WHERE"),  QStringLiteral("GROUP"),   QStringLiteral("ORDER"),
                                     QStringLiteral("LIMIT"),  QStringLiteral("JOIN"),    QStringLiteral("LEFT"),
                                     QStringLiteral("INNER"),  QStringLiteral("CROSS"),   QStringLiteral("ON"),
                                     QStringLiteral("UNION"),  QStringLiteral("EXCEPT"),  QStringLiteral("INTERSECT"),
                                     QStringLiteral("HAVING"), QStringLiteral("WINDOW"),  QStringLiteral("NATURAL"),
                                     QStringLiteral("RIGHT"),  QStringLiteral("FULL"),    QStringLiteral("OUTER"),
                                     QStringLiteral("OFFSET"), QStringLiteral("USING")};
    return words;
}

QString render(const QList<Token>& tokens)
{
    QString out;
    for (const Token& t : tokens) {
        if (!out.isEmpty() && t.spaceBefore)
            out += u' ';
        out += t.text;
    }
    return out;
}

Token word(const QString& text, bool space = true) { return Token{Token::Word, text, space}; }

struct Translator {
    PgStatement& st;
    const QList<Token>& in;
    QList<Token> out;
    int subqueries = 0;

    void put(const QString& text, bool space) { out.append(word(text, space)); }

    void run()
    {
        bool onConflictNothing = false;
        // ( stack: whether the parenthesis opens a subquery in FROM
        QList<bool> fromSubquery;
        QList<qsizetype> fromSubqueryOpen;
        for (qsizetype i = 0; i < in.size(); ++i) {
            const Token& t = in[i];
            const bool sp = t.spaceBefore;
            switch (t.kind) {
            case Token::String:
            case Token::Number:
                out.append(t);
                break;
            case Token::Blob:
                put(QStringLiteral("'\\x") + t.text.mid(1, t.text.size() - 2) + QStringLiteral("'::bytea"), sp);
                break;
            case Token::Quoted:
                st.spellings.insert(t.text.toLower(), t.text);
                put(QStringLiteral("\"") + t.text.toLower() + QStringLiteral("\""), sp);
                break;
            case Token::Param: {
                QString mark;
                if (t.text.startsWith(u'?')) {
                    if (!st.names.isEmpty())
                        throw Error(QStringLiteral("Paramètres nommés et positionnels mêlés dans la requête"));
                    if (t.text.size() > 1) {
                        const int n = t.text.mid(1).toInt();
                        st.positional = std::max(st.positional, n);
                        mark = QStringLiteral("$%1").arg(n);
                    } else {
                        mark = QStringLiteral("$%1").arg(++st.positional);
                    }
                } else {
                    if (st.positional)
                        throw Error(QStringLiteral("Paramètres nommés et positionnels mêlés dans la requête"));
                    st.names << t.text.mid(1);
                    mark = QStringLiteral("$%1").arg(st.names.size());
                }
                // "? IS NULL" leaves the server nothing to type the parameter by.
                if (i + 1 < in.size() && isWord(in[i + 1], "IS"))
                    mark += QStringLiteral("::text");
                out.append(Token{Token::Param, mark, sp});
                break;
            }
            case Token::Op:
                if (t.text == QLatin1String("==")) {
                    out.append(Token{Token::Op, QStringLiteral("="), sp});
                } else if (t.text == QLatin1String("(")) {
                    const bool sub = i > 0 && (isWord(in[i - 1], "FROM") || isWord(in[i - 1], "JOIN"))
                                     && i + 1 < in.size()
                                     && (isWord(in[i + 1], "SELECT") || isWord(in[i + 1], "WITH") || isWord(in[i + 1], "VALUES"));
                    fromSubquery.append(sub);
                    out.append(t);
                } else if (t.text == QLatin1String(")")) {
                    out.append(t);
                    const bool sub = !fromSubquery.isEmpty() && fromSubquery.takeLast();
                    if (sub) {
                        const bool named = i + 1 < in.size()
                                           && (in[i + 1].kind == Token::Quoted
                                               || (in[i + 1].kind == Token::Word && !clauseWords().contains(upperOf(in[i + 1]))));
                        if (!named)
                            put(QStringLiteral("AS kv_sub%1").arg(++subqueries), true);
                    }
                } else {
                    out.append(t);
                }
                break;
            case Token::Word: {
                const QString w = upperOf(t);
                if (t.text != t.text.toLower())
                    st.spellings.insert(t.text.toLower(), t.text);
                if (writingWords().contains(w) && !(w == QLatin1String("REPLACE") && i + 1 < in.size() && isOp(in[i + 1], "(")))
                    st.writes = true;
                const bool call = i + 1 < in.size() && isOp(in[i + 1], "(") && !(i > 0 && isOp(in[i - 1], "."));
                if (w == QLatin1String("INTEGER")) {
                    put(QStringLiteral("BIGINT"), sp);
                } else if (w == QLatin1String("BLOB")) {
                    put(QStringLiteral("BYTEA"), sp);
                } else if (w == QLatin1String("REAL")) {
                    put(QStringLiteral("DOUBLE PRECISION"), sp);
                } else if ((w == QLatin1String("FR_NOCASE") || w == QLatin1String("NOCASE")) && i > 0 && isWord(in[i - 1], "COLLATE")) {
                    put(QStringLiteral("kavorel.fr_nocase"), sp);
                } else if (w == QLatin1String("ROWID") || w == QLatin1String("_ROWID_") || w == QLatin1String("OID")) {
                    st.mentionsRowid = true;
                    put(QStringLiteral("kv_rowid"), sp);
                } else if (w == QLatin1String("SQLITE_MASTER") || w == QLatin1String("SQLITE_SCHEMA")) {
                    put(QStringLiteral("kavorel.sqlite_master"), sp);
                } else if (w == QLatin1String("SQLITE_TEMP_MASTER") || w == QLatin1String("SQLITE_TEMP_SCHEMA")) {
                    put(QStringLiteral("kavorel.sqlite_temp_master"), sp);
                } else if (w == QLatin1String("AUTOINCREMENT")) {
                } else if (w == QLatin1String("INDEXED") && i + 2 < in.size() && isWord(in[i + 1], "BY")) {
                    i += 2; // the file's choice of index: the server's planner chooses its own
                } else if (w == QLatin1String("NOT") && i + 1 < in.size() && isWord(in[i + 1], "INDEXED")) {
                    ++i;
                } else if (w == QLatin1String("LIKE")) {
                    // The file's LIKE ignores letter case (accented letters too) and keeps accents:
                    // ILIKE under ICU's deterministic root collation does the same.
                    qsizetype at = out.size();
                    if (at > 0 && isWord(out[at - 1], "NOT"))
                        --at;
                    out.insert(at, word(QStringLiteral("COLLATE kavorel.fr_fold")));
                    put(QStringLiteral("ILIKE"), sp);
                } else if (w == QLatin1String("GLOB") || w == QLatin1String("REGEXP") || w == QLatin1String("MATCH")) {
                    throw Error(QStringLiteral("L'opérateur %1 n'existe pas sur le serveur").arg(w));
                } else if (w == QLatin1String("IS")) {
                    const QString next = i + 1 < in.size() ? upperOf(in[i + 1]) : QString();
                    const QString after = i + 2 < in.size() ? upperOf(in[i + 2]) : QString();
                    if (next == QLatin1String("NULL") || next == QLatin1String("DISTINCT") || next == QLatin1String("TRUE")
                        || next == QLatin1String("FALSE") || (next == QLatin1String("NOT") && (after == QLatin1String("NULL")
                                                                                               || after == QLatin1String("DISTINCT")))) {
                        put(t.text, sp);
                    } else if (next == QLatin1String("NOT")) {
                        put(QStringLiteral("IS DISTINCT FROM"), sp);
                        ++i;
                    } else {
                        put(QStringLiteral("IS NOT DISTINCT FROM"), sp);
                    }
                } else if (w == QLatin1String("INSERT") && i + 2 < in.size() && isWord(in[i + 1], "OR")) {
                    const QString how = upperOf(in[i + 2]);
                    if (how != QLatin1String("IGNORE"))
                        throw Error(QStringLiteral("INSERT OR %1 n'existe pas sur le serveur").arg(how));
                    put(t.text, sp);
                    onConflictNothing = true;
                    i += 2;
                } else if (call && (w == QLatin1String("MAX") || w == QLatin1String("MIN"))) {
                    put(argumentCount(in, i + 1) > 1 ? (w == QLatin1String("MAX") ? QStringLiteral("greatest") : QStringLiteral("least"))
                                                      : t.text,
                         sp);
                } else if (call && functions().contains(w)) {
                    put(functions().value(w), sp);
                } else if (w == QLatin1String("BEGIN") && i == 0) {
                    put(t.text, sp);
                    if (i + 1 < in.size() && (isWord(in[i + 1], "IMMEDIATE") || isWord(in[i + 1], "EXCLUSIVE") || isWord(in[i + 1], "DEFERRED")))
                        ++i;
                } else {
                    out.append(t);
                }
                break;
            }
            }
        }
        if (onConflictNothing)
            put(QStringLiteral("ON CONFLICT DO NOTHING"), true);
        st.text = render(out).toUtf8();
    }
};

/// CREATE TABLE: the columns' spellings, the hidden row number, the numbering trigger.
void createTable(PgStatement& st, const QList<Token>& t, qsizetype nameAt)
{
    if (nameAt >= t.size() || nameAt + 1 >= t.size() || !isOp(t[nameAt + 1], "("))
        return; // CREATE TABLE … AS SELECT: the server's own way
    const QString table = t[nameAt].text;
    const qsizetype open = nameAt + 1;
    const qsizetype close = closing(t, open);
    if (close < 0)
        return;
    QString key;
    int depth = 0;
    bool atColumn = true;
    static const QSet<QString> constraints{QStringLiteral("PRIMARY"), QStringLiteral("UNIQUE"), QStringLiteral("CHECK"),
                                           QStringLiteral("FOREIGN"), QStringLiteral("CONSTRAINT")};
    for (qsizetype i = open + 1; i < close; ++i) {
        if (isOp(t[i], "("))
            ++depth;
        else if (isOp(t[i], ")"))
            --depth;
        else if (depth == 0 && isOp(t[i], ","))
            atColumn = true;
        else if (atColumn) {
            atColumn = false;
            if ((t[i].kind == Token::Word && !constraints.contains(upperOf(t[i]))) || t[i].kind == Token::Quoted) {
                st.columnSpellings.append({table, t[i].text});
                if (i + 3 < close && isWord(t[i + 1], "INTEGER") && isWord(t[i + 2], "PRIMARY") && isWord(t[i + 3], "KEY"))
                    key = t[i].text.toLower();
            }
        }
    }
    const QByteArray hidden = key.isEmpty() ? QByteArrayLiteral(", kv_rowid BIGINT GENERATED BY DEFAULT AS IDENTITY")
                                            : QByteArrayLiteral(", kv_rowid BIGINT GENERATED ALWAYS AS (") + key.toUtf8() + ") STORED";
    const qsizetype last = st.text.lastIndexOf(')');
    st.text.insert(last, hidden);
    const QString lower = table.toLower();
    st.after << QStringLiteral("CREATE OR REPLACE TRIGGER kv_rowid_%1 BEFORE INSERT ON %1 FOR EACH ROW EXECUTE FUNCTION kavorel.note_rowid('%2')")
                    .arg(lower, key)
                    .toUtf8();
}

/// CREATE TRIGGER name BEFORE|AFTER event ON table [FOR EACH ROW] [WHEN cond] BEGIN s1; s2; END
void createTrigger(PgStatement& st, const QList<Token>& t, qsizetype nameAt)
{
    const QString name = t[nameAt].text.toLower();
    qsizetype i = nameAt + 1;
    QString timing = QStringLiteral("AFTER");
    if (i < t.size() && (isWord(t[i], "BEFORE") || isWord(t[i], "AFTER"))) {
        timing = upperOf(t[i]);
        ++i;
    } else if (i + 1 < t.size() && isWord(t[i], "INSTEAD")) {
        throw Error(QStringLiteral("Les déclencheurs INSTEAD OF n'existent pas sur le serveur"));
    }
    qsizetype on = i;
    while (on < t.size() && !isWord(t[on], "ON"))
        ++on;
    if (on + 1 >= t.size())
        throw Error(QStringLiteral("Déclencheur sans table"));
    const QString event = render(t.mid(i, on - i));
    const QString table = t[on + 1].text.toLower();
    qsizetype b = on + 2;
    QString when;
    if (b + 2 < t.size() && isWord(t[b], "FOR") && isWord(t[b + 1], "EACH") && isWord(t[b + 2], "ROW"))
        b += 3;
    qsizetype begin = b;
    while (begin < t.size() && !isWord(t[begin], "BEGIN"))
        ++begin;
    if (b < t.size() && isWord(t[b], "WHEN"))
        when = QString::fromUtf8(toPostgres(render(t.mid(b + 1, begin - b - 1))).text);
    qsizetype end = t.size() - 1;
    while (end > begin && !isWord(t[end], "END"))
        --end;
    if (begin >= t.size() || end <= begin)
        throw Error(QStringLiteral("Déclencheur sans corps BEGIN … END"));
    QStringList body;
    for (const QString& statement : splitStatements(render(t.mid(begin + 1, end - begin - 1)))) {
        // SELECT RAISE(ABORT, 'why') [WHERE …]: the trigger refuses the change with the author's words.
        const QList<Token> s = tokenize(statement);
        if (s.size() >= 7 && isWord(s[0], "SELECT") && isWord(s[1], "RAISE") && isOp(s[2], "(") && isOp(s[4], ",")
            && s[5].kind == Token::String && isOp(s[6], ")")) {
            const QString raise = QStringLiteral("RAISE EXCEPTION USING MESSAGE = %1, ERRCODE = 'P0001'").arg(s[5].text);
            if (s.size() > 8 && isWord(s[7], "WHERE"))
                body << QStringLiteral("IF %1 THEN %2; END IF").arg(QString::fromUtf8(toPostgres(QStringLiteral("SELECT ") + render(s.mid(8))).text.mid(7)), raise);
            else
                body << raise;
            continue;
        }
        const PgStatement inner = toPostgres(statement);
        if (!inner.empty)
            body << QString::fromUtf8(inner.text);
    }
    const QString function = QStringLiteral("kv_trg_") + name;
    const QString ret = timing == QLatin1String("BEFORE")
                            ? QStringLiteral("IF TG_OP = 'DELETE' THEN RETURN OLD; END IF; RETURN NEW;")
                            : QStringLiteral("RETURN NULL;");
    st.text = QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $kv$ BEGIN %2; %3 END $kv$")
                  .arg(function, body.join(QStringLiteral("; ")), ret)
                  .toUtf8();
    st.after << QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(name, table).toUtf8();
    st.after << QStringLiteral("CREATE TRIGGER %1 %2 %3 ON %4 FOR EACH ROW %5EXECUTE FUNCTION %6()")
                    .arg(name, timing, event, table, when.isEmpty() ? QString() : QStringLiteral("WHEN (") + when + QStringLiteral(") "),
                         function)
                    .toUtf8();
}

/// The pragmas that have a meaning on a server: the schema's version (kept as the schema's comment)
/// and the page checks (the server keeps its own pages: always sound).
PgStatement pragma(const QList<Token>& t)
{
    PgStatement st;
    const QString name = t.size() > 1 ? upperOf(t[1]) : QString();
    if (name == QLatin1String("USER_VERSION") && t.size() == 2) {
        st.text = "SELECT coalesce(obj_description(oid, 'pg_namespace'), '0')::bigint AS user_version FROM pg_namespace "
                  "WHERE nspname = current_schema()";
        return st;
    }
    if (name == QLatin1String("USER_VERSION") && t.size() == 4 && isOp(t[2], "=") && t[3].kind == Token::Number) {
        st.writes = true;
        st.text = "DO $kv$ BEGIN EXECUTE format('COMMENT ON SCHEMA %I IS %L', current_schema(), '" + QByteArray::number(t[3].text.toInt())
                  + "'); END $kv$";
        return st;
    }
    if (name == QLatin1String("INTEGRITY_CHECK") || name == QLatin1String("QUICK_CHECK")) {
        st.text = "SELECT 'ok'::text AS " + name.toLower().toUtf8();
        return st;
    }
    throw Error(QStringLiteral("Le PRAGMA %1 du fichier SQLite n'existe pas sur le serveur").arg(name.toLower()));
}

} // namespace

PgStatement toPostgres(const QString& sql)
{
    PgStatement st;
    const QList<Token> tokens = tokenize(sql);
    QList<Token> t = tokens;
    while (!t.isEmpty() && isOp(t.last(), ";"))
        t.removeLast();
    if (t.isEmpty()) {
        st.empty = true;
        return st;
    }
    const QString first = upperOf(t[0]);
    if (first == QLatin1String("PRAGMA"))
        return pragma(t);
    qsizetype k = 1;
    if (first == QLatin1String("CREATE")) {
        if (k < t.size() && (isWord(t[k], "TEMP") || isWord(t[k], "TEMPORARY")))
            ++k;
        const bool table = k < t.size() && isWord(t[k], "TABLE");
        const bool trigger = k < t.size() && isWord(t[k], "TRIGGER");
        ++k;
        if (k + 2 < t.size() && isWord(t[k], "IF") && isWord(t[k + 1], "NOT") && isWord(t[k + 2], "EXISTS"))
            k += 3;
        if (trigger && k < t.size()) {
            st.writes = true;
            createTrigger(st, t, k);
            return st;
        }
        if (table && k + 1 < t.size() && isOp(t[k + 1], "(")) {
            // A column without a type (SQLite takes any value in it) is text on the server.
            const qsizetype close = closing(t, k + 1);
            int depth = 0;
            for (qsizetype i = close - 1; i > k + 1; --i) {
                if (isOp(t[i], ")"))
                    ++depth;
                else if (isOp(t[i], "("))
                    --depth;
                else if (depth == 0 && (t[i].kind == Token::Word || t[i].kind == Token::Quoted)
                         && (isOp(t[i + 1], ",") || i + 1 == close) && (isOp(t[i - 1], ",") || i - 1 == k + 1))
                    t.insert(i + 1, word(QStringLiteral("TEXT")));
            }
        }
        Translator tr{st, t, {}};
        tr.run();
        if (table)
            createTable(st, t, k);
        return st;
    }
    if (first == QLatin1String("DROP") && t.size() > 2 && isWord(t[1], "TRIGGER")) {
        qsizetype n = 2;
        if (n + 1 < t.size() && isWord(t[n], "IF") && isWord(t[n + 1], "EXISTS"))
            n += 2;
        if (n >= t.size())
            throw Error(QStringLiteral("DROP TRIGGER sans nom"));
        st.writes = true;
        st.text = QStringLiteral("DROP FUNCTION IF EXISTS kv_trg_%1() CASCADE").arg(t[n].text.toLower()).toUtf8();
        return st;
    }
    if (first == QLatin1String("ALTER") && t.size() > 5 && isWord(t[1], "TABLE")) {
        qsizetype n = 3;
        if (isWord(t[n], "ADD")) {
            ++n;
            if (n < t.size() && isWord(t[n], "COLUMN"))
                ++n;
            if (n < t.size())
                st.columnSpellings.append({t[2].text, t[n].text});
        }
    }
    Translator tr{st, t, {}};
    tr.run();
    if (!(first == QLatin1String("SELECT") || first == QLatin1String("WITH") || first == QLatin1String("VALUES")
          || isOp(t[0], "(")))
        st.writes = true;
    return st;
}

QStringList splitStatements(const QString& script)
{
    const QList<Token> tokens = tokenize(script);
    QStringList statements;
    QList<Token> current;
    bool trigger = false;
    for (const Token& t : tokens) {
        if (current.isEmpty() && isOp(t, ";"))
            continue;
        current.append(t);
        if (current.size() <= 4 && isWord(t, "TRIGGER") && isWord(current.first(), "CREATE"))
            trigger = true;
        if (isOp(t, ";")) {
            // A trigger's body holds its own statements: it ends at "END;".
            if (trigger && !(current.size() >= 2 && isWord(current[current.size() - 2], "END")))
                continue;
            current.removeLast();
            statements << render(current);
            current.clear();
            trigger = false;
        }
    }
    if (!current.isEmpty())
        statements << render(current);
    return statements;
}

} // namespace kv::db::detail
