#include "sim/pictures/png_writer.h"

#include <objbase.h>
#include <wincodec.h>

#include <vector>

#include "sim/common/utf8.h"

namespace {

template <typename T>
struct Held {
    T* p = nullptr;
    ~Held()
    {
        if (p)
            p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

// The 24-bit rows the PNG encoder takes as they are, each a multiple of 4 bytes.
std::vector<BYTE> Rows24(int width, int height, const void* bgra, UINT* stride)
{
    *stride = static_cast<UINT>((width * 3 + 3) & ~3);
    std::vector<BYTE> rows(static_cast<size_t>(*stride) * height);
    const BYTE* from = static_cast<const BYTE*>(bgra);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int k = 0; k < 3; ++k)
                rows[y * *stride + x * 3 + k] = from[(y * width + x) * 4 + k];
        }
    }
    return rows;
}

bool Encode(const std::wstring& path, int width, int height, std::vector<BYTE>& rows, UINT stride)
{
    Held<IWICImagingFactory> factory;
    Held<IWICStream> stream;
    Held<IWICBitmapEncoder> encoder;
    Held<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
           SUCCEEDED(factory->CreateStream(&stream)) &&
           SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
           SUCCEEDED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
           IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
           SUCCEEDED(frame->WritePixels(height, stride, static_cast<UINT>(rows.size()), rows.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const void* bgra)
{
    const std::wstring wide = Widen(path);
    if (width <= 0 || height <= 0)
        return false;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    UINT stride = 0;
    std::vector<BYTE> rows = Rows24(width, height, bgra, &stride);
    bool written = Encode(wide, width, height, rows, stride);
    if (SUCCEEDED(com))
        CoUninitialize();
    if (!written)
        DeleteFileW(wide.c_str());  // no half-written picture
    return written;
}
