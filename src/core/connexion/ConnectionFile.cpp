#include "ConnectionFile.h"

#include "platform/db/FileOps.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringDecoder>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv::connexion {

namespace {

constexpr qint64 kMaxChoiceFile = 16 * 1024;
constexpr qint64 kMaxPassFile = 1024 * 1024;

const QString kEngineKey = QStringLiteral("moteur");
const QString kHostKey = QStringLiteral("hote");
const QString kPortKey = QStringLiteral("port");
const QString kDatabaseKey = QStringLiteral("base");
const QString kUserKey = QStringLiteral("utilisateur");
const QString kPassFileKey = QStringLiteral("fichier_mots_de_passe");
const QString kFileEngine = QStringLiteral("fichier");
const QString kServerEngine = QStringLiteral("serveur");

bool holdsControl(const QString& text)
{
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

/// Escapes ':' and '\' as libpq's password file wants them.
QString escapePassField(const QString& field)
{
    QString out;
    out.reserve(field.size());
    for (const QChar c : field) {
        if (c == u':' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out;
}

/// The first four fields of a password file line, unescaped; fewer when the line is not one.
QStringList passFields(const QString& line)
{
    QStringList fields;
    QString field;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'\\' && i + 1 < line.size()) {
            field += line.at(++i);
        } else if (c == u':') {
            fields << field;
            field.clear();
            if (fields.size() == 4)
                return fields;
        } else {
            field += c;
        }
    }
    return fields;
}

bool sameServerLine(const QString& line, const db::ServerSettings& server)
{
    const QStringList f = passFields(line);
    return f.size() == 4 && f[0] == server.host && f[1] == QString::number(server.port) && f[2] == server.database &&
           f[3] == server.user;
}

QString choiceProblem(const QString& path, const QString& why)
{
    return QStringLiteral("Le fichier de connexion %1 n'est pas valable (%2).\n"
                          "Ce poste travaille sur ses fichiers locaux. Choisissez la connexion dans "
                          "« Fichiers » › « Paramétrages » › « Connexion ».")
        .arg(QDir::toNativeSeparators(path), why);
}

/// Writes `bytes` as `target` readable by its owner only, through a temporary renamed over it.
bool writePrivateFileAtomic(const QString& target, const QByteArray& bytes, QString* error)
{
    const QString temp = db::temporaryOf(target);
    const QByteArray name = QFile::encodeName(temp);
    ::unlink(name.constData());
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (error)
            *error = db::systemMessage(errno) + QStringLiteral(" : ") + temp;
        return false;
    }
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (error)
                *error = db::systemMessage(errno) + QStringLiteral(" : ") + temp;
            ::close(fd);
            ::unlink(name.constData());
            return false;
        }
        done += n;
    }
    ::close(fd);
    if (!db::replaceFile(temp, target, error)) {
        ::unlink(name.constData());
        return false;
    }
    return true;
}

} // namespace

QByteArray choiceText(const Choice& choice)
{
    QString text = QStringLiteral("# Kavorel : base de données de ce poste (le mot de passe n'est jamais écrit ici)\n");
    text += kEngineKey + u'=' + (choice.onServer ? kServerEngine : kFileEngine) + u'\n';
    if (choice.onServer) {
        const db::ServerSettings& s = choice.server;
        text += kHostKey + u'=' + s.host + u'\n';
        text += kPortKey + u'=' + QString::number(s.port) + u'\n';
        text += kDatabaseKey + u'=' + s.database + u'\n';
        text += kUserKey + u'=' + s.user + u'\n';
        if (!s.passFile.isEmpty())
            text += kPassFileKey + u'=' + s.passFile + u'\n';
    }
    return text.toUtf8();
}

bool writeChoice(const QString& path, const Choice& choice, QString* error)
{
    if (choice.onServer) {
        const db::ServerSettings& s = choice.server;
        for (const QString& field : {s.host, s.database, s.user, s.passFile})
            if (holdsControl(field) || field != field.trimmed()) {
                if (error)
                    *error = QStringLiteral("Les paramètres de connexion ne peuvent contenir ni saut de ligne ni espace en début ou en fin.");
                return false;
            }
    }
    return db::writeFileAtomic(path, choiceText(choice), error);
}

ReadChoice readChoice(const QString& path)
{
    ReadChoice read;
    QFile f(path);
    if (!f.exists())
        return read;
    if (!f.open(QIODevice::ReadOnly)) {
        read.problem = choiceProblem(path, f.errorString());
        return read;
    }
    if (f.size() > kMaxChoiceFile) {
        read.problem = choiceProblem(path, QStringLiteral("fichier trop long"));
        return read;
    }
    const QByteArray bytes = f.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (utf8.hasError() || bytes.contains('\0')) {
        read.problem = choiceProblem(path, QStringLiteral("texte illisible"));
        return read;
    }
    QHash<QString, QString> values;
    const QSet<QString> known{kEngineKey, kHostKey, kPortKey, kDatabaseKey, kUserKey, kPassFileKey};
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        const QString key = line.left(eq).trimmed();
        if (eq < 0 || !known.contains(key)) {
            read.problem = choiceProblem(path, QStringLiteral("ligne %1 inconnue").arg(i + 1));
            return read;
        }
        if (values.contains(key)) {
            read.problem = choiceProblem(path, QStringLiteral("« %1 » donné deux fois").arg(key));
            return read;
        }
        values.insert(key, line.mid(eq + 1).trimmed());
    }
    const QString engine = values.value(kEngineKey);
    if (engine == kFileEngine)
        return read;
    if (engine != kServerEngine) {
        read.problem = choiceProblem(path, QStringLiteral("moteur « %1 » inconnu").arg(engine));
        return read;
    }
    Choice choice;
    choice.onServer = true;
    bool portOk = false;
    const int port = values.value(kPortKey).toInt(&portOk);
    choice.server.host = values.value(kHostKey);
    choice.server.port = port;
    choice.server.database = values.value(kDatabaseKey);
    choice.server.user = values.value(kUserKey);
    choice.server.passFile = values.value(kPassFileKey);
    if (!portOk || port < 1 || port > 65535)
        read.problem = choiceProblem(path, QStringLiteral("port « %1 » incorrect").arg(values.value(kPortKey)));
    else if (choice.server.host.isEmpty() || choice.server.database.isEmpty() || choice.server.user.isEmpty())
        read.problem = choiceProblem(path, QStringLiteral("serveur, base ou utilisateur absent"));
    else
        read.choice = choice;
    return read;
}

QString passFileLine(const db::ServerSettings& server)
{
    return QStringList{escapePassField(server.host), QString::number(server.port), escapePassField(server.database),
                       escapePassField(server.user), escapePassField(server.password)}
        .join(u':');
}

bool rememberServerPassword(const db::ServerSettings& server, QString* error)
{
    if (server.passFile.isEmpty()) {
        if (error)
            *error = QStringLiteral("Aucun fichier de mots de passe n'est indiqué.");
        return false;
    }
    if (holdsControl(server.password) || holdsControl(server.host) || holdsControl(server.database) ||
        holdsControl(server.user)) {
        if (error)
            *error = QStringLiteral("Le mot de passe ne peut pas contenir de saut de ligne.");
        return false;
    }
    QStringList lines;
    QFile in(server.passFile);
    if (in.exists()) {
        if (in.size() > kMaxPassFile || !in.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("Le fichier de mots de passe %1 ne peut pas être lu.").arg(QDir::toNativeSeparators(server.passFile));
            return false;
        }
        for (const QString& line : QString::fromUtf8(in.readAll()).split(u'\n'))
            if (!line.isEmpty() && !sameServerLine(line, server))
                lines << line;
    }
    if (!server.password.isEmpty())
        lines << passFileLine(server);
    QByteArray bytes = lines.join(u'\n').toUtf8();
    if (!bytes.isEmpty())
        bytes += '\n';
    return writePrivateFileAtomic(server.passFile, bytes, error);
}

bool passwordRemembered(const db::ServerSettings& server)
{
    if (server.passFile.isEmpty())
        return false;
    QFile in(server.passFile);
    if (in.size() > kMaxPassFile || !in.open(QIODevice::ReadOnly))
        return false;
    for (const QString& line : QString::fromUtf8(in.readAll()).split(u'\n'))
        if (sameServerLine(line, server))
            return true;
    return false;
}

} // namespace kv::connexion
