// Found first on the portable layer's include path, so that portable code
// which reaches for a Windows header fails to build instead of quietly
// tying the layer to Windows.
#error "portable code must not include Windows headers: put it in src/windows"
