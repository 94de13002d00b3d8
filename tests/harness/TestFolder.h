#pragma once
// A temporary program folder for one test: the template database, the security file and the report
// templates copied from the built program folder, removed when the test ends. A copy, a write or a read
// that does not succeed fails the running test, naming the path.
#include <QString>
#include <QTemporaryDir>

namespace kv::test {

class TestFolder {
public:
    /// `withSystemFiles` false gives an empty folder.
    explicit TestFolder(bool withSystemFiles = true);
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    /// Copies a file of the built program folder (a template, say) into this folder.
    void copyFromProgram(const QString& name) const;
    /// Writes raw bytes into a file of the folder.
    void write(const QString& name, const QByteArray& data) const;
    /// The bytes of a file of the folder (the file must be there: exists() asks whether it is).
    QByteArray read(const QString& name) const;
    bool exists(const QString& name) const;

private:
    QTemporaryDir dir_;
};

} // namespace kv::test
