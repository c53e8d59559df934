#pragma once
// The qbtool commands that draw or print, which need Qt. Each returns -1 when
// the command is not one of its own, else the exit status.

#include <memory>
#include <string>

class QApplication;

int printCommand(const std::string& command, int argc, char** argv);  // qbtool_print.cpp
int layoutCommand(const std::string& command, int argc, char** argv); // qbtool_layout.cpp
int labelsCommand(const std::string& command, int argc, char** argv); // qbtool_labels.cpp
int lettersCommand(const std::string& command, int argc, char** argv); // qbtool_letters.cpp

// Fonts, pictures and the PDF writer need an application object; without a
// display the offscreen platform serves. Null when one exists already.
std::unique_ptr<QApplication> ensureApplication(int& argc, char** argv); // qbtool_print.cpp
