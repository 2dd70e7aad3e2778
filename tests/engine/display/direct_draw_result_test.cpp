// The DirectDraw result texts: every code of the SDK's list, byte for byte, and
// nothing for codes outside it.
#include "display_test_support.h"

#include "engine/display/direct_draw_result.h"
#include "engine/file/debug_log.h"

#include <set>

namespace {

const struct {
    HRESULT code;
    const char* text;
} EXPECTED[] = {
    {DDERR_ALREADYINITIALIZED, "DirectX: This object is already initialized.\n"},
    {DDERR_CANNOTATTACHSURFACE,
     "DirectX: This surface can not be attached to the requested surface.\n"},
    {DDERR_CANNOTDETACHSURFACE,
     "DirectX: This surface can not be detached from the requested surface.\n"},
    {DDERR_CURRENTLYNOTAVAIL, "DirectX: Support is currently not available.\n"},
    {DDERR_EXCEPTION,
     "DirectX: An exception was encountered while performing the requested operation.\n"},
    {DDERR_HEIGHTALIGN,
     "DirectX: Height of rectangle provided is not a multiple of reqd alignment.\n"},
    {DDERR_INCOMPATIBLEPRIMARY,
     "DirectX: Unable to match primary surface creation request with existing primary surface.\n"},
    {DDERR_INVALIDCAPS,
     "DirectX: One or more of the caps bits passed to the callback are incorrect.\n"},
    {DDERR_INVALIDCLIPLIST, "DirectX: DirectDraw does not support the provided cliplist.\n"},
    {DDERR_INVALIDMODE, "DirectX: DirectDraw does not support the requested mode.\n"},
    {DDERR_INVALIDOBJECT,
     "DirectX: DirectDraw received a pointer that was an invalid DIRECTDRAW object.\n"},
    {DDERR_INVALIDPIXELFORMAT, "DirectX: The pixel format was invalid as speci"
                               "fied.\n"},
    {DDERR_INVALIDRECT, "DirectX: Rectangle provided was invalid.\n"},
    {DDERR_LOCKEDSURFACES,
     "DirectX: Operation could not be carried out because one or more surfaces are locked.\n"},
    {DDERR_NO3D, "DirectX: There is no 3D present.\n"},
    {DDERR_NOALPHAHW, "DirectX: Operation could not be carried out because there is no alpha "
                      "accleration hardware present or available.\n"},
    {DDERR_NOCLIPLIST, "DirectX: No cliplist available.\n"},
    {DDERR_NOCOLORCONVHW, "DirectX: Operation could not be carried out because there is no color "
                          "conversion hardware present or available.\n"},
    {DDERR_NOCOOPERATIVELEVELSET, "DirectX: Create function called without DirectDraw object "
                                  "method SetCooperativeLevel being called.\n"},
    {DDERR_NOCOLORKEY, "DirectX: Surface doesn't currently have a color key\n"},
    {DDERR_NOCOLORKEYHW, "DirectX: Operation could not be carried out because there is no hardware "
                         "support of the destination color key.\n"},
    {DDERR_NOEXCLUSIVEMODE, "DirectX: Operation requires the application to have exclusive mode "
                            "but the application does not have exclusive mode.\n"},
    {DDERR_NOFLIPHW, "DirectX: Flipping visible surfaces is not supported.\n"},
    {DDERR_NOGDI, "DirectX: There is no GDI present.\n"},
    {DDERR_NOMIRRORHW, "DirectX: Operation could not be carried out because there is no hardware "
                       "present or available.\n"},
    {DDERR_NOTFOUND, "DirectX: Requested item was not found.\n"},
    {DDERR_NOOVERLAYHW, "DirectX: Operation could not be carried out because there is no overlay "
                        "hardware present or available.\n"},
    {DDERR_NORASTEROPHW, "DirectX: Operation could not be carried out because there is no "
                         "appropriate raster op hardware present or available.\n"},
    {DDERR_NOROTATIONHW, "DirectX: Operation could not be carried out because there is no rotation "
                         "hardware present or available.\n"},
    {DDERR_NOSTRETCHHW, "DirectX: Operation could not be carried out because there is no hardware "
                        "support for stretching.\n"},
    {DDERR_NOT4BITCOLOR, "DirectX: DirectDrawSurface is not in 4 bit color palette and the "
                         "requested operation requires 4 bit color palette.\n"},
    {DDERR_NOT4BITCOLORINDEX, "DirectX: DirectDrawSurface is not in 4 bit color index palette and "
                              "the requested operation requires 4 bit color index palette.\n"},
    {DDERR_NOT8BITCOLOR, "DirectX: DirectDrawSurface is not in 8 bit color mode and the requested "
                         "operation requires 8 bit color.\n"},
    {DDERR_NOTEXTUREHW, "DirectX: Operation could not be carried out because there is no texture "
                        "mapping hardware present or available.\n"},
    {DDERR_NOVSYNCHW, "DirectX: Operation could not be carried out because there is no hardware "
                      "support for vertical blank synchronized operations.\n"},
    {DDERR_NOZBUFFERHW, "DirectX: Operation could not be carried out because there is no hardware "
                        "support for zbuffer blitting.\n"},
    {DDERR_NOZOVERLAYHW, "DirectX: Overlay surfaces could not be z layered based on their BltOrder "
                         "because the hardware does not support z layering of overlays.\n"},
    {DDERR_OUTOFCAPS,
     "DirectX: The hardware needed for the requested operation has already been allocated.\n"},
    {DDERR_OUTOFVIDEOMEMORY,
     "DirectX: DirectDraw does not have enough memory to perform the operation.\n"},
    {DDERR_OVERLAYCANTCLIP, "DirectX: The hardware does not support clipped overlays.\n"},
    {DDERR_OVERLAYCOLORKEYONLYONEACTIVE,
     "DirectX: Can only have ony color key active at one time for overlays.\n"},
    {DDERR_PALETTEBUSY, "DirectX: Access to this palette is being refused because the palette is "
                        "already locked by another thread.\n"},
    {DDERR_COLORKEYNOTSET, "DirectX: No src color key speci"
                           "fied for this operation.\n"},
    {DDERR_SURFACEALREADYATTACHED,
     "DirectX: This surface is already attached to the surface it is being attached to.\n"},
    {DDERR_SURFACEALREADYDEPENDENT, "DirectX: This surface is already a dependency of the surface "
                                    "it is being made a dependency of.\n"},
    {DDERR_SURFACEBUSY, "DirectX: Access to this surface is being refused because the surface is "
                        "already locked by another thread.\n"},
    {DDERR_SURFACEISOBSCURED,
     "DirectX: Access to surface refused because the surface is obscured.\n"},
    {DDERR_SURFACELOST,
     "DirectX: Access to this surface is being refused because the surface memory is gone. The "
     "DirectDrawSurface object representing this surface should have Restore called on it.\n"},
    {DDERR_SURFACENOTATTACHED, "DirectX: The requested surface is not attached.\n"},
    {DDERR_TOOBIGHEIGHT, "DirectX: Height requested by DirectDraw is too large.\n"},
    {DDERR_TOOBIGSIZE, "DirectX: Size requested by DirectDraw is too large --\tthe individual "
                       "height and width are OK.\n"},
    {DDERR_TOOBIGWIDTH, "DirectX: Width requested by DirectDraw is too large.\n"},
    {DDERR_UNSUPPORTEDFORMAT, "DirectX: FOURCC format requested is unsupported by DirectDraw.\n"},
    {DDERR_UNSUPPORTEDMASK,
     "DirectX: Bitmask in the pixel format requested is unsupported by DirectDraw.\n"},
    {DDERR_VERTICALBLANKINPROGRESS, "DirectX: Vertical blank is in progress.\n"},
    {DDERR_WASSTILLDRAWING, "DirectX: Informs DirectDraw that the previous Blt which is "
                            "transfering information to or from this Surface is incomplete.\n"},
    {DDERR_INVALIDDIRECTDRAWGUID,
     "DirectX: The GUID passed to DirectDrawCreate is not a valid DirectDraw driver identifier.\n"},
    {DDERR_DIRECTDRAWALREADYCREATED, "DirectX: A DirectDraw object representing this driver has "
                                     "already been created for this process.\n"},
    {DDERR_NODIRECTDRAWHW, "DirectX: A hardware-only DirectDraw object creation was attempted but "
                           "the driver did not support any hardware.\n"},
    {DDERR_PRIMARYSURFACEALREADYEXISTS,
     "DirectX: This process already has created a primary surface.\n"},
    {DDERR_NOEMULATION, "DirectX: Software emulation not available.\n"},
    {DDERR_REGIONTOOSMALL, "DirectX: Region passed to Clipper::GetClipList is too small.\n"},
    {DDERR_CLIPPERISUSINGHWND, "DirectX: An attempt was made to set a cliplist for a clipper "
                               "object that is already monitoring an hwnd.\n"},
    {DDERR_NOCLIPPERATTACHED, "DirectX: No clipper object attached to surface object.\n"},
    {DDERR_NOHWND, "DirectX: Clipper notification requires an HWND or no HWND has previously been "
                   "set as the CooperativeLevel HWND.\n"},
    {DDERR_HWNDSUBCLASSED, "DirectX: HWND used by DirectDraw CooperativeLevel has been subclassed, "
                           "this prevents DirectDraw from restoring state.\n"},
    {DDERR_HWNDALREADYSET, "DirectX: The CooperativeLevel HWND has already been set. It can not be "
                           "reset while the process has surfaces or palettes created.\n"},
    {DDERR_NOPALETTEATTACHED, "DirectX: No palette object attached to this surface.\n"},
    {DDERR_NOPALETTEHW, "DirectX: No hardware support for 16 or 256 color palettes.\n"},
    {DDERR_BLTFASTCANTCLIP, "DirectX: Return if a clipper object is attached to the source surface "
                            "passed into a BltFast call.\n"},
    {DDERR_NOBLTHW, "DirectX: No blitter hardware present.\n"},
    {DDERR_NODDROPSHW, "DirectX: No DirectDraw ROP hardware.\n"},
    {DDERR_OVERLAYNOTVISIBLE,
     "DirectX: Returned when GetOverlayPosition is called on a hidden overlay.\n"},
    {DDERR_NOOVERLAYDEST, "DirectX: Returned when GetOverlayPosition is called on an overlay that "
                          "UpdateOverlay has never been called on to establish a destination.\n"},
    {DDERR_INVALIDPOSITION, "DirectX: Returned when the position of the overlay on the destination "
                            "is no longer legal for that destination.\n"},
    {DDERR_NOTAOVERLAYSURFACE,
     "DirctX: Returned when an overlay member is called for a non-overlay surface.\n"},
    {DDERR_EXCLUSIVEMODEALREADYSET, "DirectX: An attempt was made to set the cooperative level "
                                    "when it was already set to exclusive.\n"},
    {DDERR_NOTFLIPPABLE,
     "DirectX: An attempt has been made to flip a surface that is not flippable.\n"},
    {DDERR_CANTDUPLICATE,
     "DirectX: Can't duplicate primary & 3D surfaces, or surfaces that are implicitly created.\n"},
    {DDERR_NOTLOCKED, "DirectX: Surface was not locked.  An attempt to unlock a surface that was "
                      "not locked at all, or by this process, has been attempted.\n"},
    {DDERR_CANTCREATEDC, "DirectX: Windows can not create any more DCs\n"},
    {DDERR_NODC, "DirectX: No DC was ever created for this surface.\n"},
    {DDERR_WRONGMODE,
     "DirectX: This surface can not be restored because it was created in a different mode.\n"},
    {DDERR_IMPLICITLYCREATED,
     "DirectX: This surface can not be restored because it is an implicitly created surface.\n"},
    {DDERR_NOTPALETTIZED, "DirectX: The surface being used is not a palette-based surface.\n"},
    {DDERR_UNSUPPORTED, "DirectX: Action not supported.\n"},
    {DDERR_GENERIC, "DirectX: Generic failure.\n"},
    {DDERR_OUTOFMEMORY,
     "DirectX: DirectDraw does not have enough memory to perform the operation.\n"},
    {DDERR_INVALIDPARAMS,
     "DirectX: One or more of the parameters passed to the function are incorrect.\n"},
};

using DirectDrawResultTest = EngineTest;

TEST_F(DirectDrawResultTest, EveryCodeWritesItsOwnLine) {
    ASSERT_EQ(sizeof(EXPECTED) / sizeof(EXPECTED[0]), 89u);
    ASSERT_EQ(DIRECT_DRAW_RESULT_COUNT, 89);
    for (const auto& row : EXPECTED) {
        debugLog.Open("debug.txt");
        LogDirectDrawResult(row.code);
        EXPECT_EQ(ReadLog(), LogText({row.text})) << std::hex << row.code;
    }
}

TEST_F(DirectDrawResultTest, TableIsWellFormed) {
    std::set<int32_t> codes;
    for (int i = 0; i < DIRECT_DRAW_RESULT_COUNT; ++i) {
        const DirectDrawResult& row = DIRECT_DRAW_RESULTS[i];
        EXPECT_TRUE(codes.insert(row.code).second) << row.name << " appears twice";
        std::string text = row.text;
        ASSERT_GE(text.size(), 2u);
        EXPECT_EQ(text.find('\n'), text.size() - 1) << row.name << ": one line";
        bool misspelt = std::string(row.name) == "DDERR_NOTAOVERLAYSURFACE";
        EXPECT_EQ(text.rfind(misspelt ? "DirctX: " : "DirectX: ", 0), 0u) << row.name;
    }
    EXPECT_STREQ(DirectDrawResultText(DDERR_OUTOFVIDEOMEMORY),
                 DirectDrawResultText(DDERR_OUTOFMEMORY));
    EXPECT_NE(std::string(DirectDrawResultText(DDERR_TOOBIGSIZE)).find("--\tthe"),
              std::string::npos);
}

TEST_F(DirectDrawResultTest, CodesOutsideTheTableWriteNothing) {
    for (HRESULT code : {HRESULT(DD_OK), HRESULT(0x88760001u), DDERR_NODIRECTDRAWSUPPORT,
                         DDERR_CANTLOCKSURFACE, HRESULT(-1), HRESULT(0x0876017C)}) {
        LogDirectDrawResult(code);
        EXPECT_EQ(DirectDrawResultText(code), nullptr);
    }
    EXPECT_EQ(ReadLog(), "");
}

} // namespace
