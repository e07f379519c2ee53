#include "platform/system_image.h"

#define WIN32_LEAN_AND_MEAN
#include <wincodec.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace blx52 {

namespace {

// Releases a COM interface when it goes out of scope.
template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (p_ != nullptr)
            p_->Release();
    }
    T** out() { return &p_; }
    void** outVoid() { return reinterpret_cast<void**>(&p_); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }

  private:
    T* p_ = nullptr;
};

// COM for this thread for as long as the decoding takes. The window's thread has it already
// (Qt starts OLE there); the command line tool has not.
class ComScope {
  public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(hr_))
            CoUninitialize();
    }
    // A thread already in the other apartment kind can still create the factory.
    bool usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

  private:
    HRESULT hr_;
};

bool failed(HRESULT hr, const char* step, std::string* error) {
    if (SUCCEEDED(hr))
        return false;
    if (error) {
        if (hr == WINCODEC_ERR_COMPONENTNOTFOUND) {
            *error = "unsupported image format";
        } else {
            char text[96];
            std::snprintf(text, sizeof text, "%s failed (0x%08lx)", step,
                          static_cast<unsigned long>(hr));
            *error = text;
        }
    }
    return true;
}

// As Qt's readers refuse more than 256 MB for one image.
constexpr std::uint64_t MaxPixels = 64ull * 1024 * 1024;

}  // namespace

std::optional<SystemImage> decodeWithSystemCodecs(const unsigned char* data, std::size_t size,
                                                  int reduceAbove, int reducedTo,
                                                  std::string* error) {
    if (size > std::numeric_limits<DWORD>::max()) {
        if (error)
            *error = "image file too large";
        return std::nullopt;
    }
    ComScope com;
    if (!com.usable()) {
        if (error)
            *error = "the system's image codecs are not available";
        return std::nullopt;
    }
    ComPtr<IWICImagingFactory> factory;
    if (failed(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, factory.outVoid()),
               "starting the imaging component", error))
        return std::nullopt;
    ComPtr<IWICStream> stream;
    if (failed(factory->CreateStream(stream.out()), "making a stream", error) ||
        failed(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size)),
               "making a stream", error))
        return std::nullopt;
    ComPtr<IWICBitmapDecoder> decoder;
    if (failed(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.out()),
               "reading the image", error))
        return std::nullopt;
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    if (failed(decoder->GetFrame(0, frame.out()), "reading the first frame", error) ||
        failed(frame->GetSize(&width, &height), "reading the image size", error))
        return std::nullopt;

    IWICBitmapSource* source = frame.get();
    ComPtr<IWICBitmapScaler> scaler;
    const UINT shorter = std::min(width, height);
    if (reduceAbove > 0 && reducedTo > 0 && shorter > static_cast<UINT>(reduceAbove)) {
        const auto scaled = [&](UINT side) {
            return std::max<UINT>(1, static_cast<UINT>(static_cast<std::uint64_t>(side) *
                                                       static_cast<UINT>(reducedTo) / shorter));
        };
        width = scaled(width);
        height = scaled(height);
        if (failed(factory->CreateBitmapScaler(scaler.out()), "scaling the image", error) ||
            failed(scaler->Initialize(frame.get(), width, height, WICBitmapInterpolationModeFant),
                   "scaling the image", error))
            return std::nullopt;
        source = scaler.get();
    }
    if (width == 0 || height == 0 || static_cast<std::uint64_t>(width) * height > MaxPixels) {
        if (error)
            *error = "image too large";
        return std::nullopt;
    }
    ComPtr<IWICFormatConverter> converter;
    if (failed(factory->CreateFormatConverter(converter.out()), "converting the colours", error) ||
        failed(converter->Initialize(source, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom),
               "converting the colours", error))
        return std::nullopt;

    SystemImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.argb.resize(static_cast<std::size_t>(width) * height);
    // BGRA bytes in memory are the words 0xAARRGGBB on this little-endian system.
    const UINT stride = width * 4;
    if (failed(converter->CopyPixels(nullptr, stride, stride * height,
                                     reinterpret_cast<BYTE*>(image.argb.data())),
               "decoding the pixels", error))
        return std::nullopt;
    return image;
}

}  // namespace blx52
