#include "ReportEngine.h"

#include "core/formats/Numbers.h"

#include "SqlGuard.h"
#include "platform/db/Dates.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <kainjow/mustache.hpp>

#include <cmath>
#include <exception>

namespace kv::reports {

namespace mustache = kainjow::mustache;

namespace {

const QLatin1String kHeaderOpen("<!--kavorel-report");
const QLatin1String kHeaderClose("-->");

// Names the engine puts at the top of the data; a query cannot take them.
const QSet<QString>& reservedNames()
{
    static const QSet<QString> names{
        QStringLiteral("textes"), QStringLiteral("params"), QStringLiteral("today"),
        QStringLiteral("now"),    QStringLiteral("title"),  QStringLiteral("count"),
        QStringLiteral("any"),    QStringLiteral("first"),  QStringLiteral("fmt"),
    };
    return names;
}

void setError(QString* error, const QString& message)
{
    if (error)
        *error = message;
}

int lineAt(const QString& text, qsizetype pos) { return int(text.left(pos).count(u'\n')) + 1; }

// Mustache's own messages end with a byte offset into the body; say it as a line of the file, in French.
QString mustacheMessage(const std::string& raw, const std::string& bodyUtf8, int bodyFirstLine, int* line)
{
    static const QRegularExpression tail(QStringLiteral("^(.*) at (\\d+)$"));
    const QString message = QString::fromStdString(raw);
    const QRegularExpressionMatch m = tail.match(message);
    if (!m.hasMatch())
        return message;
    const auto offset = std::min<std::size_t>(m.captured(2).toULongLong(), bodyUtf8.size());
    *line = bodyFirstLine + int(std::count(bodyUtf8.begin(), bodyUtf8.begin() + offset, '\n'));
    const QString what = m.captured(1);
    static const QRegularExpression section(QStringLiteral("^(Unclosed|Unopened) section \"(.*)\"$"));
    const QRegularExpressionMatch s = section.match(what);
    if (s.hasMatch()) {
        return s.captured(1) == u"Unclosed"
                   ? QStringLiteral("section « %1 » non fermée").arg(s.captured(2))
                   : QStringLiteral("fin de section « %1 » sans début").arg(s.captured(2));
    }
    if (what == u"Unclosed tag")
        return QStringLiteral("balise « {{ » non fermée");
    if (what == u"Invalid set delimiter tag")
        return QStringLiteral("changement de délimiteurs invalide");
    return what;
}

bool parseMargins(const QString& value, QMarginsF* margins)
{
    QString v = value;
    v.remove(QLatin1String("mm"));
    const QStringList parts = v.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.size() > 4)
        return false;
    QList<double> mm;
    for (const QString& p : parts) {
        bool ok = false;
        const double d = p.toDouble(&ok);
        if (!ok || d < 0 || d > 80)
            return false;
        mm.append(d);
    }
    // As in CSS: top, right, bottom, left, the missing ones taken from their opposite side.
    const double top = mm[0];
    const double right = mm.size() > 1 ? mm[1] : top;
    const double bottom = mm.size() > 2 ? mm[2] : top;
    const double left = mm.size() > 3 ? mm[3] : right;
    *margins = QMarginsF(left, top, right, bottom);
    return true;
}

std::string escapeHtml(const std::string& s)
{
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (const char ch : s) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '\r': break;
        case '\n': out += "<br/>"; break; // a text of several lines keeps its lines
        default: out += ch; break;
        }
    }
    return out;
}

std::string utf8(const QString& s) { return s.toStdString(); }

// A value as Mustache data: its text; an empty one (null included) is false, so that it inserts
// nothing and a section on it ({{#x}}…{{/x}}) is left out.
mustache::data valueData(const QVariant& value)
{
    const std::string text = utf8(valueText(value));
    return text.empty() ? mustache::data{false} : mustache::data{text};
}

// A record as Mustache data: each column's value, also under its lower-case name.
mustache::data recordData(const QVariantMap& record)
{
    mustache::data d{mustache::data::type::object};
    for (auto it = record.cbegin(); it != record.cend(); ++it)
        d.set(utf8(it.key()), valueData(it.value()));
    for (auto it = record.cbegin(); it != record.cend(); ++it) {
        const std::string lower = utf8(it.key().toLower());
        if (!d.get(lower))
            d.set(lower, valueData(it.value()));
    }
    return d;
}

// A helper section: renders its content, then reformats the result.
mustache::data formatter(QString (*format)(const QString&))
{
    return mustache::data{mustache::lambda2{
        [format](const std::string& text, const mustache::renderer& render) {
            return utf8(format(QString::fromStdString(render(text)).trimmed()));
        }}};
}

QString amount2(const QString& text) { return formatAmount(text, 2); }
QString amount0(const QString& text) { return formatAmount(text, 0); }

} // namespace

QString valueText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QDate:
        return value.toDate().toString(db::kShownDateFormat);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm"));
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}

QString formatAmount(const QString& text, int decimals)
{
    QString s = text;
    s.remove(QRegularExpression(QStringLiteral("\\s")));
    if (s.isEmpty())
        return {};
    bool ok = false;
    const double v = s.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return text;
    // The screens' own formatter, so that a printed figure is the one the screen shows (1.005 -> 1.01,
    // halves away from zero on the decimal value); its blanks become no-break spaces.
    QString pattern = QStringLiteral("### ### ### ### ##0");
    if (decimals > 0)
        pattern += u'.' + QString(decimals, u'0');
    return kv::formatNumber(v, pattern).replace(u' ', QChar(0x00A0));
}

QString formatDate(const QString& text)
{
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})([T ].*)?$"));
    const QRegularExpressionMatch m = iso.match(text.trimmed());
    if (!m.hasMatch())
        return text;
    return m.captured(3) + u'/' + m.captured(2) + u'/' + m.captured(1);
}

Template parseTemplate(const QString& textIn, const QString& path, QString* error)
{
    const QString fileName = QFileInfo(path).fileName();
    auto fail = [&](int line, const QString& message) {
        setError(error, line > 0 ? QStringLiteral("Modèle « %1 », ligne %2 : %3").arg(fileName).arg(line).arg(message)
                                 : QStringLiteral("Modèle « %1 » : %2").arg(fileName, message));
        Template failed;
        failed.path = path;
        return failed;
    };

    QString text = textIn;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    qsizetype start = 0;
    while (start < text.size() && text[start].isSpace())
        ++start;
    if (!QStringView(text).mid(start).startsWith(kHeaderOpen))
        return fail(0, QStringLiteral("l'en-tête « %1 » doit ouvrir le fichier").arg(kHeaderOpen));
    const qsizetype headerStart = start + kHeaderOpen.size();
    const qsizetype close = text.indexOf(kHeaderClose, headerStart);
    if (close < 0)
        return fail(lineAt(text, start), QStringLiteral("l'en-tête n'est pas fermé par « --> »"));

    Template t;
    t.path = path;
    QList<int> queryLines;
    const QStringList lines = text.mid(headerStart, close - headerStart).split(u'\n');
    const int firstLine = lineAt(text, start);
    bool titleSeen = false, orientationSeen = false, marginsSeen = false;
    qsizetype openQuery = -1; // the query that indented lines continue

    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNo = firstLine + int(i);
        QString line = lines[i];
        line.remove(u'\r');
        const QString trimmed = line.trimmed();
        if (i == 0) {
            if (!trimmed.isEmpty())
                return fail(lineNo, QStringLiteral("rien ne doit suivre « %1 » sur sa ligne").arg(kHeaderOpen));
            continue;
        }
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        if (line[0].isSpace()) {
            if (openQuery < 0)
                return fail(lineNo, QStringLiteral("ligne en retrait hors d'une requête"));
            t.queries[openQuery].sql += u'\n' + trimmed;
            continue;
        }
        openQuery = -1;
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0)
            return fail(lineNo, QStringLiteral("« clé: valeur » attendu"));
        const QString key = line.left(colon).simplified();
        const QString value = line.mid(colon + 1).trimmed();
        const QString keyLower = key.toLower();

        if (keyLower == u"title") {
            if (titleSeen)
                return fail(lineNo, QStringLiteral("« title » donné deux fois"));
            titleSeen = true;
            t.title = value;
        } else if (keyLower == u"orientation") {
            if (orientationSeen)
                return fail(lineNo, QStringLiteral("« orientation » donnée deux fois"));
            orientationSeen = true;
            const QString o = value.toLower();
            if (o == u"portrait")
                t.orientation = QPageLayout::Portrait;
            else if (o == u"paysage" || o == u"landscape")
                t.orientation = QPageLayout::Landscape;
            else
                return fail(lineNo, QStringLiteral("orientation « %1 » inconnue (portrait ou paysage)").arg(value));
        } else if (keyLower == u"margins") {
            if (marginsSeen)
                return fail(lineNo, QStringLiteral("« margins » données deux fois"));
            marginsSeen = true;
            if (!parseMargins(value, &t.marginsMm))
                return fail(lineNo, QStringLiteral("marges « %1 » invalides (1 à 4 nombres de 0 à 80 mm)").arg(value));
            if (t.marginsMm.bottom() < 10)
                return fail(lineNo, QStringLiteral("la marge du bas porte le numéro de page : 10 mm au moins"));
        } else if (keyLower.startsWith(QLatin1String("query "))) {
            const QString name = key.mid(6).trimmed();
            static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
            if (!identifier.match(name).hasMatch())
                return fail(lineNo, QStringLiteral("nom de requête « %1 » invalide (lettres, chiffres, _)").arg(name));
            if (reservedNames().contains(name.toLower()))
                return fail(lineNo, QStringLiteral("le nom « %1 » est réservé").arg(name));
            for (const Query& q : std::as_const(t.queries)) {
                if (q.name == name)
                    return fail(lineNo, QStringLiteral("requête « %1 » déclarée deux fois").arg(name));
            }
            t.queries.append(Query{name, value});
            queryLines.append(lineNo);
            openQuery = t.queries.size() - 1;
        } else {
            return fail(lineNo, QStringLiteral("clé « %1 » inconnue (title, orientation, margins, query nom)").arg(key));
        }
    }

    for (qsizetype i = 0; i < t.queries.size(); ++i) {
        Query& q = t.queries[i];
        q.sql = q.sql.trimmed();
        const QString why = readOnlyViolation(q.sql);
        if (!why.isEmpty())
            return fail(queryLines[i], QStringLiteral("requête « %1 » refusée : %2").arg(q.name, why));
    }

    const qsizetype bodyStart = close + kHeaderClose.size();
    t.body = text.mid(bodyStart);
    t.bodyFirstLine = lineAt(text, bodyStart);
    if (t.title.isEmpty())
        t.title = QFileInfo(path).completeBaseName();

    const std::string bodyUtf8 = utf8(t.body);
    mustache::mustache check{bodyUtf8};
    if (!check.is_valid()) {
        int line = 0;
        const QString message = mustacheMessage(check.error_message(), bodyUtf8, t.bodyFirstLine, &line);
        return fail(line, message);
    }
    t.valid = true;
    return t;
}

Template load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("Modèle « %1 » illisible : %2").arg(QFileInfo(path).fileName(), file.errorString()));
        Template failed;
        failed.path = path;
        return failed;
    }
    return parseTemplate(QString::fromUtf8(file.readAll()), path, error);
}

namespace {
constexpr int kMaxSectionDepth = 64;
constexpr double kMaxRepeats = 1e6;

/// How deep the sections of a body nest ({{#..}} and {{^..}} open, {{/..}} closes), and how many
/// times its innermost text may be repeated: the product of the row counts of the query lists that
/// enclose it.
void measureSections(const QString& body, const QHash<QString, qsizetype>& rowCounts, int* deepest, double* repeats)
{
    QList<double> stack{1.0};
    *deepest = 0;
    *repeats = 1.0;
    for (qsizetype i = body.indexOf(QStringLiteral("{{")); i >= 0; i = body.indexOf(QStringLiteral("{{"), i + 2)) {
        const QChar c = i + 2 < body.size() ? body[i + 2] : QChar();
        if (c == u'#' || c == u'^') {
            const qsizetype end = body.indexOf(QStringLiteral("}}"), i + 3);
            const QString tag = body.mid(i + 3, end < 0 ? -1 : end - i - 3).trimmed();
            const double factor = c == u'#' ? double(std::max<qsizetype>(1, rowCounts.value(tag, 1))) : 1.0;
            stack.append(stack.last() * factor);
            *deepest = std::max(*deepest, int(stack.size() - 1));
            *repeats = std::max(*repeats, stack.last());
        } else if (c == u'/' && stack.size() > 1) {
            stack.removeLast();
        }
    }
}
} // namespace

QString fill(const Template& tpl, const QVariantMap& textes, const QueryRunner& runner, const QVariantMap& params,
             QString* error)
{
    if (!tpl.valid) {
        setError(error, QStringLiteral("Modèle « %1 » non chargé").arg(QFileInfo(tpl.path).fileName()));
        return {};
    }
    mustache::data root{mustache::data::type::object};
    root.set("textes", recordData(textes));
    root.set("params", recordData(params));
    root.set("today", utf8(QDate::currentDate().toString(db::kShownDateFormat)));
    root.set("now", utf8(QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm"))));
    root.set("title", utf8(tpl.title));

    mustache::data fmt{mustache::data::type::object};
    fmt.set("money", formatter(&amount2));
    fmt.set("int", formatter(&amount0));
    fmt.set("date", formatter(&formatDate));
    root.set("fmt", fmt);

    mustache::data count{mustache::data::type::object};
    mustache::data any{mustache::data::type::object};
    mustache::data first{mustache::data::type::object};
    QHash<QString, qsizetype> rowCounts;
    for (const Query& q : tpl.queries) {
        auto failQuery = [&](const QString& message) {
            setError(error, QStringLiteral("Requête « %1 » : %2").arg(q.name, message));
            return QString();
        };
        const QString why = readOnlyViolation(q.sql);
        if (!why.isEmpty())
            return failQuery(QStringLiteral("refusée : ") + why);
        QVariantMap bound;
        for (const QString& name : parameterNames(q.sql)) {
            // SQL names ignore letter case: ":Annee" takes the parameter "annee".
            auto it = params.constBegin();
            while (it != params.constEnd() && it.key().compare(name, Qt::CaseInsensitive) != 0)
                ++it;
            if (it == params.constEnd())
                return failQuery(QStringLiteral("paramètre « :%1 » non fourni").arg(name));
            bound.insert(name, it.value());
        }
        if (!runner)
            return failQuery(QStringLiteral("aucune base de données pour l'exécuter"));

        QList<Row> rows;
        try {
            rows = runner(q.sql, bound);
        } catch (const std::exception& e) {
            return failQuery(QString::fromUtf8(e.what()));
        } catch (...) {
            return failQuery(QStringLiteral("erreur inconnue"));
        }

        mustache::data list{mustache::data::type::list};
        for (qsizetype i = 0; i < rows.size(); ++i) {
            mustache::data row = recordData(rows[i]);
            row.set("_index", utf8(QString::number(i + 1)));
            row.set("_first", mustache::data{i == 0});
            row.set("_last", mustache::data{i == rows.size() - 1});
            row.set("_odd", mustache::data{i % 2 == 0});
            row.set("_even", mustache::data{i % 2 == 1});
            list.push_back(row);
        }
        const std::string name = utf8(q.name);
        rowCounts.insert(q.name, rows.size());
        if (!rows.isEmpty())
            first.set(name, recordData(rows.front()));
        root.set(name, list);
        count.set(name, utf8(QString::number(rows.size())));
        any.set(name, mustache::data{!rows.isEmpty()});
    }
    root.set("count", count);
    root.set("any", any);
    root.set("first", first);

    // A restyled template is a file anyone can edit: sections nested without end are refused before
    // the tag engine walks them (its walk is recursive), and so are lists nested so that their rows
    // multiply beyond any document.
    const QString name = QFileInfo(tpl.path).fileName();
    int depth = 0;
    double repeats = 1;
    measureSections(tpl.body, rowCounts, &depth, &repeats);
    if (depth > kMaxSectionDepth) {
        setError(error, QStringLiteral("Modèle « %1 » : plus de %2 sections imbriquées").arg(name).arg(kMaxSectionDepth));
        return {};
    }
    if (repeats > kMaxRepeats) {
        setError(error, QStringLiteral("Modèle « %1 » : les listes imbriquées répètent le document plus de %2 fois")
                            .arg(name).arg(qint64(kMaxRepeats)));
        return {};
    }
    const std::string bodyUtf8 = utf8(tpl.body);
    mustache::mustache view{bodyUtf8};
    view.set_custom_escape(&escapeHtml);
    std::string html;
    if (view.is_valid())
        html = view.render(root);
    if (!view.is_valid()) {
        int line = 0;
        const QString message = mustacheMessage(view.error_message(), bodyUtf8, tpl.bodyFirstLine, &line);
        setError(error, line > 0 ? QStringLiteral("Modèle « %1 », ligne %2 : %3").arg(name).arg(line).arg(message)
                                 : QStringLiteral("Modèle « %1 » : %2").arg(name, message));
        return {};
    }
    return html.empty() ? QStringLiteral("") : QString::fromStdString(html); // never null on success
}

bool renderReport(const QString& templatePath, const QVariantMap& textes, const QueryRunner& runner,
                  const QVariantMap& params, const QString& pdfOut, QString* error)
{
    const Template tpl = load(templatePath, error);
    if (!tpl.valid)
        return false;
    const QString html = fill(tpl, textes, runner, params, error);
    if (html.isNull())
        return false;
    return renderPdf(html, tpl, pdfOut, error);
}

} // namespace kv::reports
