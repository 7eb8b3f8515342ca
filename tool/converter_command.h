// The converter call, built once as an argument list; its text is derived
// from that list, both for the echo and for hosts that run a command line.
#pragma once

#include <string>
#include <vector>

// What the image is to be like.
struct Rendering {
    int xDpi = 120, yDpi = 120;
    int quality = 0;    // 0: the converter's default
    bool pages = false; // one file per page
};

// The image's file: imageBase (its path without ".jpg") and ".jpg", or with
// pages the file of page n (counted from 1): imageBase-n.jpg.
std::string ImagePath(const std::string& imageBase, const Rendering& rendering, int page = 1);

// program, "-sDEVICE=jpeg", the resolution ("-r120*120" for equal values,
// "-r<X>x<Y>" otherwise: Ghostscript reads "-r300*150" as 300 x 300), the
// quality ("-dJPEGQ=<N>") when one is asked for, "-o", the output file, the
// PostScript path. Ghostscript reads the output name as a template in which
// '%' starts a page-number format, so every '%' of imageBase is doubled;
// with pages the output is imageBase-%d.jpg.
std::vector<std::string> ConverterArguments(const std::string& program,
                                            const std::string& imageBase, const std::string& psPath,
                                            const Rendering& rendering = Rendering());

// The arguments joined by single spaces, those after "-o" (the file names)
// in double quotes: gs -sDEVICE=jpeg -r120*120 -o "<jpg>" "<ps>".
std::string CommandText(const std::vector<std::string>& args);
