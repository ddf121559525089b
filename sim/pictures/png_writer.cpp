#include "sim/pictures/png_writer.h"

#include <objbase.h>
#include <wincodec.h>

#include <vector>

#include "sim/common/checked_file.h"
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

// The PNG's bytes into `encoded`, a stream in memory.
bool Encode(IStream* encoded, int width, int height, std::vector<BYTE>& rows, UINT stride)
{
    Held<IWICImagingFactory> factory;
    Held<IWICStream> stream;
    Held<IWICBitmapEncoder> encoder;
    Held<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
           SUCCEEDED(factory->CreateStream(&stream)) && SUCCEEDED(stream->InitializeFromIStream(encoded)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
           SUCCEEDED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
           IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
           SUCCEEDED(frame->WritePixels(height, stride, static_cast<UINT>(rows.size()), rows.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

// The stream's bytes, written to the file and checked.
bool WriteStream(IStream* encoded, const std::string& path)
{
    HGLOBAL memory = nullptr;
    STATSTG stat = {};
    if (FAILED(GetHGlobalFromStream(encoded, &memory)) || FAILED(encoded->Stat(&stat, STATFLAG_NONAME)))
        return false;
    const void* bytes = GlobalLock(memory);
    const bool written = bytes && WriteWholeFile(path, bytes, static_cast<size_t>(stat.cbSize.QuadPart));
    GlobalUnlock(memory);
    return written;
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const void* bgra)
{
    if (width <= 0 || height <= 0)
        return false;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    UINT stride = 0;
    std::vector<BYTE> rows = Rows24(width, height, bgra, &stride);
    bool written;
    {
        Held<IStream> encoded;  // let go before COM is
        written = SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &encoded)) &&
                  Encode(encoded.p, width, height, rows, stride) && WriteStream(encoded.p, path);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    if (!written)
        DeleteFileW(Widen(path).c_str());  // no half-written picture
    return written;
}
