#include "SysUtils.h"
#include <windows.h>
#include <new>
#include "Application.h"

const char* const ButtonCaptions[11] = {"&Yes", "&No",   "OK",         "Cancel",      "&Abort", "&Retry",
                                        "&Ignore", "&All", "N&o to All", "Yes to &All", "&Help"};

std::string ExceptionText(const char* className) { return std::string("Exception ") + className; }

void ShowException(const char* className) {
  std::string caption = Application ? Application->Title() : ApplicationTitle();
  MessageBoxA(ApplicationWindow(), ExceptionText(className).c_str(), caption.c_str(),
              MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void ShowCurrentException() {
  try {
    throw;
  } catch (const Exception& e) {
    ShowException(e);
  } catch (const std::bad_alloc&) {
    ShowException("EOutOfMemory");
  } catch (...) {
    // Not one of ours (a runtime error, a foreign type): the base name.
    ShowException("Exception");
  }
}

std::string FormatText(const std::string& fmt, const std::string& arg) {
  std::string out;
  out.reserve(fmt.size() + arg.size());
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] == '%' && i + 1 < fmt.size()) {
      if (fmt[i + 1] == 's') {
        out += arg;
        ++i;
        continue;
      }
      if (fmt[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += fmt[i];
  }
  return out;
}
