#include "app/application.h"
#include "app/startup.h"

#include <exception>

int main(int argc, char** argv) {
  Application application(argc, argv);
  try {
    CreateWindows();
    application.exec();
  } catch (const std::exception& failure) {
    ShowErrorBox(failure.what());
  }
  DestroyWindows();
  return 0;
}
