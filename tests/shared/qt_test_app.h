#pragma once
// The one QApplication of a widget test program, made on first use and destroyed after the last
// test (before static destruction, which Qt does not survive).
#include <QApplication>

QApplication& TestApp();
