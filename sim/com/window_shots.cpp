#include "window_shots.h"

#include <cstdlib>
#include <fstream>
#include <vector>

#include "bridge.h"

namespace via_com {

bool WantWindowShots() {
  const char* folder = std::getenv("SCTAV_VIA_COM_SHOTS");
  return folder && *folder;
}

void SaveWindowShot(HWND hwnd, const std::string& name) {
  if (!WantWindowShots() || !IsWindow(hwnd)) return;
  const char* folder = std::getenv("SCTAV_VIA_COM_SHOTS");
  RECT r{};
  if (!GetWindowRect(hwnd, &r)) return;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bitmap);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  GdiFlush();
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const int stride = ((w * 3 + 3) / 4) * 4;
  std::vector<char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(h));
  const int lines = GetDIBits(mem, bitmap, 0, static_cast<UINT>(h), pixels.data(),
                              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  if (lines != h) return;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
  std::ofstream out(sccom::Widen(std::string(folder) + "\\" + name + ".bmp").c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

}  // namespace via_com
