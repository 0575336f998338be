#include "framework/Font.h"

IMPLEMENT_DYNAMIC(CFont, CGdiObject)

BOOL CFont::CreateFont(int height,
                       int width,
                       int escapement,
                       int orientation,
                       int weight,
                       BYTE italic,
                       BYTE underline,
                       BYTE strikeOut,
                       BYTE charSet,
                       BYTE outPrecision,
                       BYTE clipPrecision,
                       BYTE quality,
                       BYTE pitchAndFamily,
                       const wchar_t* faceName)
{
    return Attach(::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                charSet, outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* logFont)
{
    return logFont ? Attach(::CreateFontIndirectW(logFont)) : FALSE;
}
