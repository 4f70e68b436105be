// The scripted walk of `make run` without a display: prepares a home folder
// with the stand-in host, starts Setup.exe with "-d<that folder>", walks
// Welcome -> License -> Home Folder -> Ready -> Installing -> Complete,
// presses Finish, leaves a screenshot of each page in <build>/screenshots and
// prints what was installed where.
//
//   walk.exe [--no-launch]   (untick the launch box; by default the stand-in
//                             host is launched and closes itself after 3 s)
//
// Exit code 0 when the walk ended normally, also when the program stopped
// earlier than Finish (it says where); 1 for a real error: Setup.exe missing,
// no wizard, a process that does not end, a wrong exit code.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "Driver.h"

using namespace e2e;

namespace {

int g_errors = 0;

void Say(const std::string& s) {
  fputs(("walk: " + s + "\n").c_str(), stdout);
  fflush(stdout);
}

std::string Printable(const std::string& s) {
  std::string r;
  for (char c : s) {
    if (c == '\r') r += "\\r";
    else if (c == '\n') r += "\\n";
    else if (c == '\t') r += "<TAB>";
    else r += c;
  }
  return r;
}

struct Page {
  const char* title;
  const char* shot;
};
const Page kPages[] = {
    {"Welcome to the Quillora Irish Spellchecker", "page0-welcome"},
    {"License Agreement", "page1-license"},
    {"Specify Home Folder", "page2-homefolder"},
    {"Ready to Install", "page3-ready"},
    {"Installing", "page4-installing"},
    {"Installation Complete", "page5-complete"},
};

// Ends the wizard from wherever it is: the close box, then the answer that quits.
void CloseWizard(SetupRun& run, Wizard& w) {
  if (!run.Running() || !w.Exists()) return;
  if (MsgBox open = run.FindMessageBox()) {
    Say("answering the open box " + Printable(open.Text()) + " with its first button");
    std::vector<std::string> b = open.Buttons();
    if (!b.empty()) open.Press(b[0]);
  }
  if (!w.Exists()) return;
  w.CloseBox();
  MsgBox q = run.WaitMessageBox(5s);
  if (!q) return;
  Say("close question: " + Printable(q.Text()));
  for (const char* quit : {"&Yes", "&Abort", "OK"}) {
    if (q.HasButton(quit)) {
      q.Press(quit);
      return;
    }
  }
}

std::string Hex(const std::string& bytes) {
  static const char* d = "0123456789ABCDEF";
  std::string r;
  for (unsigned char c : bytes) {
    r += d[c >> 4];
    r += d[c & 15];
  }
  return r;
}

void ReportFolder(const std::string& title, const std::string& folder) {
  std::vector<std::string> files = ListTree(folder);
  Say(title + " " + folder + (FolderExists(folder) ? "" : " (does not exist)"));
  for (const std::string& f : files) {
    std::optional<std::string> data = ReadWholeFile(Join(folder, f));
    printf("    %-40s %8u bytes\n", f.c_str(), data ? static_cast<unsigned>(data->size()) : 0u);
  }
}

void ReportResults(const std::string& home) {
  std::string base = CommonAppData();
  Say("---- what is installed where ----");
  ReportFolder("shared dictionaries below", Join(base, "Quillora\\Public"));
  ReportFolder("home folder", home);
  std::string stampPath = Join(base, "Quillora\\Hidden\\install_stamp");
  if (std::optional<std::string> stamp = ReadWholeFile(stampPath)) {
    std::string line = "install stamp " + stampPath + ": " + std::to_string(stamp->size()) + " bytes, " + Hex(*stamp);
    if (stamp->size() == 8) {
      double t;
      memcpy(&t, stamp->data(), 8);
      SYSTEMTIME st;
      if (VariantTimeToSystemTime(t, &st)) {
        char buf[64];
        snprintf(buf, sizeof buf, " = %04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour,
                 st.wMinute, st.wSecond);
        line += buf;
      }
    }
    Say(line);
  } else {
    Say("install stamp " + stampPath + ": none");
  }
  std::string logPath = Join(base, "Quillora\\Update.log");
  if (std::optional<std::string> log = ReadWholeFile(logPath)) {
    Say("update log " + logPath + ":");
    size_t pos = 0;
    while (pos < log->size()) {
      size_t end = log->find("\r\n", pos);
      if (end == std::string::npos) end = log->size();
      printf("    %s\n", Printable(log->substr(pos, end - pos)).c_str());
      pos = end + 2;
    }
  } else {
    Say("update log " + logPath + ": none");
  }
  std::string r = reg::Describe();
  Say("registry " + r.substr(0, r.size() - 1));
  if (std::optional<HostStart> s = WaitHostStarted(HostLogBeside(home), 0ms))
    Say("the stand-in host was started: command line " + s->commandLine + ", current folder " + s->currentDir);
  else
    Say("the stand-in host was not started");
}

}  // namespace

int main(int argc, char** argv) {
  bool launch = !(argc > 1 && !strcmp(argv[1], "--no-launch"));
  SetFailureHandler([](const std::string& m) {
    ++g_errors;
    Say("ERROR: " + m);
  });

  std::string setup = SetupExePath();
  if (!FileExists(setup)) {
    Say("no " + setup);
    return 1;
  }
  std::string home = Join(TempFolder(), "Quillora Walk Home");
  RemoveTree(home);
  if (InstallStandInHost(home).empty()) return 1;
  // A launched stand-in host records its start beside itself and closes itself.
  SetHostEnvironment("", 3000);
  Say("home folder with the stand-in host: " + home);
  Say("starting " + setup + " -d" + home);

  SetupRun run = SetupRun::Start(setup, {"-d" + home});
  Wizard w = run.WaitWizard(20s);
  if (!w) {
    Say("no wizard appeared");
    run.Kill();
    return 1;
  }
  int errorsBefore = g_errors;
  bool finished = false;
  size_t page = 0;
  for (; page < 6; ++page) {
    const Page& p = kPages[page];
    if (page == 4) {
      // The run is synchronous inside the page change: by the time the
      // click was handled the wizard is on the next page, or a box is open.
      if (w.Title() != p.title) {
        Say(std::string("page \"") + p.title + "\" passed while the run was busy (no screenshot)");
        continue;
      }
    }
    if (MsgBox box = run.FindMessageBox(); box && page != 4) {
      box.Screenshot(std::string(p.shot) + "-message");
      Say(std::string("stopped: on the way to \"") + p.title + "\" the setup says: " + Printable(box.Text()));
      break;
    }
    SetFailureHandler([](const std::string&) {});
    bool there = w.WaitTitle(p.title, 5s);
    SetFailureHandler([](const std::string& m) {
      ++g_errors;
      Say("ERROR: " + m);
    });
    if (!there) {
      MsgBox box = run.FindMessageBox();
      if (box) {
        box.Screenshot(std::string(p.shot) + "-message");
        Say(std::string("stopped: on the way to \"") + p.title + "\" the setup says: " + Printable(box.Text()));
      } else {
        w.Screenshot(std::string(p.shot) + "-not-reached");
        Say(std::string("stopped: the page \"") + p.title + "\" did not come; the title reads \"" + w.Title() + "\"");
      }
      break;
    }
    std::string shot = w.Screenshot(p.shot);
    Say(std::string("page \"") + p.title + "\"" + (shot.empty() ? "" : ", screenshot " + shot));
    std::string next = "&Next >";
    switch (page) {
      case 1: {
        Control memo = w.Memo();
        Say("  licence text: " + std::to_string(memo ? memo.Text().size() : 0) + " characters");
        if (w.CheckBox("I &accept all the terms of the above License Agreement"))
          w.Tick("I &accept all the terms of the above License Agreement", true);
        break;
      }
      case 2:
        Say("  folder in the edit: " + w.EditText());
        if (w.EditText() != home) w.SetEditText(home);
        break;
      case 5:
        if (Control box = w.CheckBox("&Launch Quillora Word Processor")) {
          w.Tick("&Launch Quillora Word Processor", launch);
          Say(std::string("  launch box ") + (launch ? "ticked" : "unticked"));
        }
        next = "&Finish";
        break;
    }
    if (!w.HasButton(next) || !w.ButtonEnabled(next)) {
      Say("stopped: no enabled \"" + next + "\" button on \"" + p.title + "\"");
      break;
    }
    w.Press(next);
    if (page == 5) finished = true;
  }

  if (!finished) CloseWizard(run, w);
  int code = run.WaitExit(20s);
  Say("Setup.exe ended with exit code " + std::to_string(code));
  if (code != 0) ++g_errors;
  if (finished && launch) WaitHostStarted(HostLogBeside(home), 5s);
  ReportResults(home);
  if (!finished) Say("the walk stopped before Finish (see above)");
  return g_errors > errorsBefore || code != 0 ? 1 : 0;
}
