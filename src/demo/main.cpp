// kavorel-demo: writes a demo exercise (or the benchmark's stress year) into a program folder.
#include "demo/Generator.h"
#include "platform/db/Error.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kavorel-demo"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a year of a made-up transport firm into a Kavorel program folder: reference lists, vehicles, "
        "agents, drivers and clients, a year of expenses and receipts, follow-ups, rentals, pays with advances "
        "and closed months, miscellaneous receipts. The same seed gives the same database."));
    parser.addHelpOption();
    const QCommandLineOption folder({QStringLiteral("f"), QStringLiteral("folder")},
                                    QStringLiteral("Program folder to write into (default: this command's folder)."),
                                    QStringLiteral("folder"));
    const QCommandLineOption year({QStringLiteral("y"), QStringLiteral("year")}, QStringLiteral("Exercise year (default: this year)."),
                                  QStringLiteral("year"));
    const QCommandLineOption vehicles(QStringLiteral("vehicles"), QStringLiteral("Number of vehicles (default 60)."), QStringLiteral("n"));
    const QCommandLineOption persons(QStringLiteral("persons"), QStringLiteral("Agents, drivers and clients together (default 40)."),
                                     QStringLiteral("n"));
    const QCommandLineOption lines(QStringLiteral("lines"), QStringLiteral("Ledger lines (default 5000)."), QStringLiteral("n"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the made-up data (default 1)."), QStringLiteral("n"));
    const QCommandLineOption stress(QStringLiteral("stress"),
                                    QStringLiteral("The benchmark's stress year: 1,000,000 lines, 500 vehicles, 2,000 persons."));
    const QCommandLineOption replace(QStringLiteral("replace"), QStringLiteral("Replace an exercise file of that year already there."));
    const QCommandLineOption screens(QStringLiteral("one-by-one"),
                                     QStringLiteral("Book each ledger line on its own as the screens do (slow; the default "
                                                    "writes the same rows in one transaction)."));
    parser.addOptions({folder, year, vehicles, persons, lines, seed, stress, replace, screens});
    parser.process(app);

    kv::demo::Options o = parser.isSet(stress) ? kv::demo::Options::stress() : kv::demo::Options();
    o.folder = parser.isSet(folder) ? parser.value(folder) : QCoreApplication::applicationDirPath();
    auto number = [&](const QCommandLineOption& option, auto& target) {
        if (!parser.isSet(option))
            return;
        bool ok = false;
        const qlonglong v = parser.value(option).toLongLong(&ok);
        if (!ok || v < 0) {
            std::fprintf(stderr, "kavorel-demo: --%s: not a number\n", qPrintable(option.names().last()));
            std::exit(2);
        }
        target = static_cast<std::remove_reference_t<decltype(target)>>(v);
    };
    number(year, o.year);
    number(vehicles, o.vehicles);
    number(persons, o.persons);
    number(lines, o.lines);
    number(seed, o.seed);
    o.replace = parser.isSet(replace);
    if (parser.isSet(screens))
        o.booking = kv::demo::Booking::Screens;

    QElapsedTimer timer;
    timer.start();
    try {
        const kv::demo::Summary s = kv::demo::generate(o, [&](const QString& phase) {
            std::fprintf(stderr, "%6.1f s  %s\n", timer.elapsed() / 1000.0, qPrintable(phase));
        });
        std::printf("%s: exercise %d, %lld expenses, %lld receipts, %d vehicles, %d persons, %d rentals, %d pays, "
                    "%d follow-ups (%.1f s)\n",
                    qPrintable(s.databasePath), s.year, static_cast<long long>(s.depenses), static_cast<long long>(s.recettes),
                    s.vehicles, s.persons, s.rentals, s.pays, s.followUps, timer.elapsed() / 1000.0);
        std::printf("busiest vehicle: %lld, busiest client: %lld\n", static_cast<long long>(s.busyVehicle),
                    static_cast<long long>(s.busyClient));
    } catch (const kv::db::Error& e) {
        std::fprintf(stderr, "kavorel-demo: %s\n", qPrintable(e.message()));
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kavorel-demo: %s\n", e.what());
        return 1;
    }
    return 0;
}
