#pragma once

#include <functional>
#include <string>
#include <string_view>

// Camera (DCF) folder and file names: "DCIM/100_ABCD/DSCF0001.JPG" carries folder number 100
// and file number 1, shown as "100-0001". The rules read the folders involved, so they run on
// any thread but touch the file system; paths are absolute or relative to the current folder.

// Whether a folder is the root of a drive: here, a mount point. Injected so that tests can
// declare a sandbox folder to be one. It receives a normalised absolute path without a
// trailing "/" (or "/" itself).
using MountPointTest = std::function<bool(const std::string& folder)>;

// The system's answer: the folder (symbolic links resolved) is a mount point listed in
// /proc/self/mountinfo, or the file-system root.
bool IsMountPoint(const std::string& folder);

// Matches a name against a DCF mask, character by character: "#" a digit (digits build the
// number), "?" a letter A to Z in either case, a digit or "_", "$" the end of the name or a "?"
// character, anything else itself (a lower-case name letter also matches the upper-case mask
// letter). The mask and the name must end together. The number found, or 0 when the name does
// not match; a name whose digits are all zero therefore never has a number.
int DcfMatch(std::string_view mask, std::string_view name);

// The folder's number when it is a DCF folder: its name matches "###?????" with a non-zero
// number, its parent is a "DCIM" folder (any case) that sits directly in the root of a drive,
// it is a folder, and no other folder in DCIM carries the same number. 0 otherwise.
int DcfFolderNumber(const std::string& folder, const MountPointTest& isMountPoint = IsMountPoint);

// The file's number when it has a DCF name: "????####.?$$" with a non-zero number, in an
// existing folder that holds fewer than two files with that mask, number and a basic DCF
// extension (JPG, TIF, RAF, any case). 0 otherwise, so DSCF0001.JPG beside DSCF0001.RAF has none.
int DcfFileNumber(const std::string& file);

// Folder number x 10000 + file number, when the folder's DCF number is 100 or more and the file
// has a DCF file number; 0 otherwise.
int DcfNumber(const std::string& file, const MountPointTest& isMountPoint = IsMountPoint);

// The number of a pre-DCF camera name: the file name matches "????####.?$$", its folder's name
// "IM##????" (a two-digit number, not 0), and that folder lies at the root of a drive or in a
// folder there (IM01ABCD or DCIM/IM01ABCD on the card). Folder number x 10000 + file number, or 0.
int ShortDcfNumber(const std::string& file, const MountPointTest& isMountPoint = IsMountPoint);

// "100-0001" for a DCF number, else "01-0003" for a short DCF number, else empty.
std::string DcfNumberText(const std::string& file, const MountPointTest& isMountPoint = IsMountPoint);
