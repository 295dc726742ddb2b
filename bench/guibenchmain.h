#pragma once

// The main of benchmark programs whose code needs the GUI application
// (fonts, text documents): headless, then every benchmark given.

#include <benchmark/benchmark.h>

#include <QGuiApplication>

// AppClass: QGuiApplication, or QApplication for benchmarks of widgets.
#define KORVAN_BENCHMARK_MAIN_WITH(AppClass)           \
    int main(int argc, char** argv)                    \
    {                                                  \
        qputenv("QT_QPA_PLATFORM", "offscreen");       \
        AppClass app(argc, argv);                      \
        benchmark::Initialize(&argc, argv);            \
        benchmark::RunSpecifiedBenchmarks();           \
        benchmark::Shutdown();                         \
        return 0;                                      \
    }

#define KORVAN_GUI_BENCHMARK_MAIN() KORVAN_BENCHMARK_MAIN_WITH(QGuiApplication)
