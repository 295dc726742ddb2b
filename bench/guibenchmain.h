#pragma once

// The main of benchmark programs whose code needs the GUI application
// (fonts, text documents): headless, then every benchmark given.

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#define KORVAN_GUI_BENCHMARK_MAIN()                    \
    int main(int argc, char** argv)                    \
    {                                                  \
        qputenv("QT_QPA_PLATFORM", "offscreen");       \
        QGuiApplication app(argc, argv);               \
        benchmark::Initialize(&argc, argv);            \
        benchmark::RunSpecifiedBenchmarks();           \
        benchmark::Shutdown();                         \
        return 0;                                      \
    }
