// bench_payload [FULLSIZE.bin]
// Medians over repeated runs in one process, each side by side with the bare
// minimum the work needs (also the median of the ratios of the pairs):
//   - loading the store against one zlib inflate into an exactly sized buffer;
//   - writing the seven installable entries with ExtractFile against
//     CreateFileW + one WriteFile + SetFileTime per file, into the same folder;
// and the peak working set after the first load against compressed + inflated.
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "AttachFiles.h"
#include "InstUtils.h"

namespace {

const int kRuns = 15;
const char* const kInstallable[] = {"hunspell.dll", "Irish.asc", "userdicir.tlx", "ga_IE.dic",
                                    "ga_IE.aff",    "Irish.hyph", "Irish.thes"};

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1000.0 / double(freq.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The median of the ratios of runs made side by side: slow phases of a busy
// machine hit both sides of a pair alike.
double PairedRatio(const std::vector<double>& a, const std::vector<double>& b) {
  std::vector<double> r;
  for (size_t i = 0; i < a.size(); ++i) r.push_back(a[i] / b[i]);
  return Median(r);
}

std::string ThisExeFolder() {
  char buf[MAX_PATH * 4];
  std::string p(buf, GetModuleFileNameA(nullptr, buf, sizeof buf));
  return p.substr(0, p.find_last_of('\\'));
}

bool ReadAll(const std::string& path, std::vector<unsigned char>& out) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  GetFileSizeEx(h, &size);
  out.resize(size_t(size.QuadPart));
  DWORD got = 0;
  const bool ok = ReadFile(h, out.data(), DWORD(out.size()), &got, nullptr) && got == out.size();
  CloseHandle(h);
  return ok;
}

size_t PeakWorkingSet() {
  // psapi's structure; GetProcessMemoryInfo is bound at run time.
  struct Counters {
    DWORD cb, PageFaultCount;
    SIZE_T PeakWorkingSetSize, WorkingSetSize, QuotaPeakPagedPoolUsage, QuotaPagedPoolUsage,
        QuotaPeakNonPagedPoolUsage, QuotaNonPagedPoolUsage, PagefileUsage, PeakPagefileUsage;
  };
  typedef BOOL(WINAPI * Fn)(HANDLE, Counters*, DWORD);
  Fn fn = nullptr;
  if (HMODULE k = GetModuleHandleA("kernel32"))
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(k, "K32GetProcessMemoryInfo")));
  if (!fn)
    if (HMODULE p = LoadLibraryA("psapi.dll"))
      fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(p, "GetProcessMemoryInfo")));
  Counters c = {};
  c.cb = sizeof c;
  return fn && fn(GetCurrentProcess(), &c, sizeof c) ? c.PeakWorkingSetSize : 0;
}

double BareInflate(const std::vector<unsigned char>& stream, size_t inflated) {
  const double t0 = Now();
  unsigned char* out = static_cast<unsigned char*>(std::malloc(inflated));
  z_stream zs = {};
  inflateInit(&zs);
  zs.next_in = const_cast<Bytef*>(stream.data());
  zs.avail_in = uInt(stream.size());
  zs.next_out = out;
  zs.avail_out = uInt(inflated);
  const int ret = inflate(&zs, Z_FINISH);
  inflateEnd(&zs);
  std::free(out);
  const double t = Now() - t0;
  if (ret != Z_STREAM_END) std::printf("bare inflate failed (%d)\n", ret);
  return t;
}

double StoreLoad(const std::vector<unsigned char>& stream, TAttachedFiles** keep = nullptr) {
  const double t0 = Now();
  auto* store = new TAttachedFiles(stream.data(), stream.size());
  const double t = Now() - t0;
  if (keep)
    *keep = store;
  else
    delete store;  // (also sweeps the temporary folder: outside the timing)
  return t;
}

double ExtractAll(TAttachedFiles& store, const std::string& dir) {
  const double t0 = Now();
  for (const char* name : kInstallable)
    if (!store.ExtractFile(nullptr, name, dir + "\\" + name)) std::printf("ExtractFile %s failed\n", name);
  return Now() - t0;
}

double BareWrite(TAttachedFiles& store, const std::string& dir) {
  std::vector<const TAttachedFile*> entries;
  for (const char* name : kInstallable) entries.push_back(FindEntryByName(store.Entries(), name));
  const double t0 = Now();
  for (const TAttachedFile* e : entries) {
    const std::wstring path = WidenString(dir + "\\" + e->Name);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD put = 0;
    if (e->Size) WriteFile(h, store.Data() + e->DataOffset, DWORD(e->Size), &put, nullptr);
    FILETIME local, utc;
    const uint32_t dos = DateTimeToDos(e->ModTime);
    DosDateTimeToFileTime(HIWORD(dos), LOWORD(dos), &local);
    LocalFileTimeToFileTime(&local, &utc);
    SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);
  }
  return Now() - t0;
}

}  // namespace

int main(int argc, char** argv) {
  InitInstUtils();
  std::string path = argc > 1 ? argv[1] : ThisExeFolder() + "\\..\\tests\\payload\\fullsize.bin";
  std::vector<unsigned char> stream;
  if (!ReadAll(path, stream)) {
    std::printf("cannot read %s\n", path.c_str());
    return 1;
  }

  const size_t before = PeakWorkingSet();  // the process with the compressed bytes read
  TAttachedFiles* store = nullptr;
  try {
    StoreLoad(stream, &store);
  } catch (const PayloadError& e) {
    std::printf("payload refused: %s\n", e.what.c_str());
    return 1;
  }
  const size_t peak = PeakWorkingSet();
  const size_t inflated = size_t(store->DataSize());
  std::printf("payload: %u bytes compressed, %u inflated, %u entries, buffer grew %d times\n",
              unsigned(stream.size()), unsigned(inflated), unsigned(store->Entries().size()),
              store->InflateGrowths());
  std::printf("peak working set after the first load: %.1f MB = %.3f x (compressed + inflated %.1f MB)\n",
              peak / 1048576.0, double(peak) / double(stream.size() + inflated),
              (stream.size() + inflated) / 1048576.0);
  std::printf("  of which the load added %.1f MB = %.3f x inflated (the process with the stream read: %.1f MB)\n",
              (peak - before) / 1048576.0, double(peak - before) / double(inflated), before / 1048576.0);

  std::vector<double> load, bare;
  for (int i = 0; i < kRuns; ++i) {
    load.push_back(StoreLoad(stream));
    bare.push_back(BareInflate(stream, inflated));
  }
  std::printf("load:    store %8.2f ms, bare inflate %8.2f ms, ratio %.3f, paired %.3f (target <= 1.05)\n",
              Median(load), Median(bare), Median(load) / Median(bare), PairedRatio(load, bare));

  char tmp[MAX_PATH + 1];
  GetTempPathA(sizeof tmp, tmp);
  const std::string dir = std::string(tmp) + "bench_payload " + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  ExtractAll(*store, dir);  // warm-up: the files exist from here on for both sides
  BareWrite(*store, dir);
  std::vector<double> extract, write;
  for (int i = 0; i < kRuns; ++i) {
    extract.push_back(ExtractAll(*store, dir));
    write.push_back(BareWrite(*store, dir));
  }
  std::printf("extract: store %8.2f ms, bare writes  %8.2f ms, ratio %.3f, paired %.3f (target <= 1.10)\n",
              Median(extract), Median(write), Median(extract) / Median(write), PairedRatio(extract, write));
  for (const char* name : kInstallable) DeleteFileA((dir + "\\" + name).c_str());
  RemoveDirectoryA(dir.c_str());
  delete store;
  return 0;
}
