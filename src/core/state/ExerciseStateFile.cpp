#include "ExerciseStateFile.h"

#include "platform/db/FileOps.h"

#include <QFile>
#include <QtEndian>

namespace kv {

ExerciseState readExerciseState(const QString& path)
{
    QFile f(path);
    if (!f.exists()) {
        if (f.open(QIODevice::WriteOnly))
            f.close();
        return {};
    }
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = f.read(4);
    if (data.size() < 4)
        return {};
    return {qFromLittleEndian<qint16>(data.constData()), qFromLittleEndian<qint16>(data.constData() + 2)};
}

bool writeExerciseState(const QString& path, const ExerciseState& state, QString* error)
{
    QByteArray data;
    {
        QFile in(path);
        if (in.exists() && in.open(QIODevice::ReadOnly))
            data = in.readAll();
    }
    if (data.size() < 4)
        data.resize(4);
    qToLittleEndian<qint16>(state.firstYear, data.data());
    qToLittleEndian<qint16>(state.closings, data.data() + 2);
    return db::writeFileAtomic(path, data, error);
}

} // namespace kv
