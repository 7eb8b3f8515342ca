#include "tool/conversion.h"

#include <vector>

#include "tool/jpeg_images.h"
#include "tool/scan_directory.h"

namespace {

// SOI, an SOS segment of one component, EOI.
const unsigned long long kSmallestImage = 2 + 12 + 2;

void FeedCounter(void* counter, const unsigned char* data, std::size_t size) {
    static_cast<JpegImageCounter*>(counter)->Feed(data, size);
}

// How many whole images the JPEG file at path holds; false when it cannot be read.
bool CountImages(const std::string& path, int* images, std::string* why) {
    JpegImageCounter counter;
    if (!ReadFileChunks(path, FeedCounter, &counter, why)) {
        return false;
    }
    *images = counter.Complete();
    return true;
}

// The page files after the first that are there now (a converter with
// pages writes <name>-2.jpg and on), each with its stamp (located as
// StampOf's locate says).
std::vector<FileStamp> LaterPages(const std::string& imageBase, const Rendering& rendering,
                                  bool locate) {
    std::vector<FileStamp> pages;
    if (!rendering.pages) {
        return pages;
    }
    for (int page = 2;; ++page) {
        FileStamp stamp = StampOf(ImagePath(imageBase, rendering, page), locate);
        if (!stamp.exists && stamp.error.empty()) {
            return pages;
        }
        pages.push_back(stamp);
    }
}

// An image that is a regular, non-empty file not older than its source.
bool UpToDate(const FileStamp& image, const std::string& psPath) {
    if (!image.exists || !image.regular || image.size == 0) {
        return false;
    }
    const FileStamp source = StampOf(psPath, false);
    return source.exists && image.modified >= source.modified;
}

// Removes the image files a converter ended by a signal wrote to during its
// run (after and laterAfter: the first and later pages as it left them);
// what it says of them for the file's line.
std::string RemovePartial(const JobRules& rules, const Job& job, const FileStamp& after,
                          const std::vector<FileStamp>& laterAfter, int watched) {
    std::vector<std::string> removed;
    std::string said;
    auto remove = [&](const std::string& path) {
        std::string why;
        if (RemoveImage(path, &why)) {
            removed.push_back(path);
        } else {
            said += "; cannot remove the partial image " + path + ": " + why;
        }
    };
    if (WrittenSince(job.before, after, watched)) {
        remove(job.jpgPath);
    }
    for (std::size_t i = 0; i < laterAfter.size(); ++i) {
        const FileStamp before = i < job.laterPages.size() ? job.laterPages[i] : FileStamp();
        if (WrittenSince(before, laterAfter[i], 0)) {
            remove(ImagePath(job.imageBase, rules.rendering, static_cast<int>(i) + 2));
        }
    }
    for (std::size_t i = 0; i < removed.size(); ++i) {
        said += (i == 0 ? (removed.size() == 1 ? "; removed the partial image "
                                               : "; removed the partial images ")
                        : ", ") +
                removed[i];
    }
    return said;
}

} // namespace

Job PlanJob(const JobRules& rules, std::int32_t entry, const std::string& name,
            const std::string& suffix, Claims* claims, const OwnerPath& pathOf) {
    Job job;
    job.entry = entry;
    job.psPath = PathInDirectory(rules.psDir, name + suffix);
    job.imageBase = PathInDirectory(rules.imageDir, name);
    job.jpgPath = ImagePath(job.imageBase, rules.rendering);
    job.before = StampOf(job.jpgPath);
    job.refusal = DeviceNameReason(job.psPath);
    if (job.refusal.empty()) {
        job.refusal = ImageRefusal(job.jpgPath, job.before, *claims, pathOf);
    }
    job.laterPages = LaterPages(job.imageBase, rules.rendering, true);
    for (std::size_t i = 0; i < job.laterPages.size() && job.refusal.empty(); ++i) {
        job.refusal =
            ImageRefusal(ImagePath(job.imageBase, rules.rendering, static_cast<int>(i) + 2),
                         job.laterPages[i], *claims, pathOf);
    }
    if (!job.refusal.empty()) {
        return job;
    }
    claims->AddImage(entry, 1, job.before);
    for (std::size_t i = 0; i < job.laterPages.size(); ++i) {
        claims->AddImage(entry, static_cast<std::int32_t>(i) + 2, job.laterPages[i]);
    }
    if (rules.update && UpToDate(job.before, job.psPath)) {
        job.skip = true;
        return job;
    }
    job.args = ConverterArguments(rules.program, job.imageBase, job.psPath, rules.rendering);
    const std::string image = rules.rendering.pages ? name + "-%d.jpg" : name + ".jpg";
    job.head = "Converting " + name + suffix + " to " + image + " ...\n" + CommandText(job.args);
    return job;
}

void FinishJob(const JobRules& rules, Job* job, bool captured, bool quiet, Claims* claims,
               StandardOutput* out, Ending* end) {
    ConverterOutcome outcome = job->process.outcome;
    if (!job->refusal.empty()) {
        if (!quiet) {
            ReportError(job->psPath, job->refusal + "; not converted");
            end->status = 2;
        }
        return;
    }
    const int watched = EndWriteWatch(job->watch);
    job->watch = nullptr;
    const FileStamp after = StampOf(job->jpgPath, false);
    // Claimed by place before the start; by identity where the place could
    // not be told, so that a run keeps one claim per image.
    if (!job->before.located) {
        claims->AddImage(job->entry, 1, after);
    }
    const std::vector<FileStamp> laterAfter = LaterPages(job->imageBase, rules.rendering, false);
    for (std::size_t i = 0; i < laterAfter.size(); ++i) {
        claims->AddImage(job->entry, static_cast<std::int32_t>(i) + 2, laterAfter[i]);
    }
    if (outcome.timedOut) {
        outcome.error = "converter stopped after " + rules.timeout + " s (--timeout)";
    }
    if (outcome.signaled) {
        outcome.error += RemovePartial(rules, *job, after, laterAfter, watched);
    } else if (outcome.ok && !WrittenSince(job->before, after, watched)) {
        outcome.ok = false;
        outcome.error = "the converter wrote no image";
    }
    if (quiet) {
        return;
    }
    if (captured) {
        out->Write(job->head);
        if (job->process.out >= 0) {
            out->CopyCaptured(job->process.out);
        }
        out->Flush();
        std::string why;
        if (job->process.err >= 0 && !CopyCaptured(job->process.err, stderr, &why)) {
            ReportError(job->psPath, "cannot copy the converter's messages: " + why);
        }
    }
    if (!outcome.ok) {
        ReportError(job->psPath, outcome.error);
        end->status = 2;
        if (outcome.stopRun && end->stopStatus == 0) {
            end->stopStatus = outcome.stopStatus;
        }
        return;
    }
    // A file too small for two images (each at least SOI, a scan header and
    // EOI) need not be read.
    if (!rules.rendering.pages && after.size >= 2 * kSmallestImage) {
        int images = 0;
        std::string why;
        if (CountImages(job->jpgPath, &images, &why) && images > 1) {
            ReportError(job->psPath, job->jpgPath + " holds " + std::to_string(images) +
                                         " pages; image viewers show the first (--pages "
                                         "writes one image per page)");
        }
    }
}
