// One libFuzzer target: KV_FUZZ_TARGET names the entry function it drives.
#include "FuzzTargets.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The picture readers are plugins: they need an application object; no window is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kv::fuzz::run(QStringLiteral(KV_FUZZ_TARGET), data, size);
    return 0;
}
