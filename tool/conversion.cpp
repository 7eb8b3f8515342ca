#include "tool/conversion.h"

#include "tool/converter_command.h"
#include "tool/scan_directory.h"

Job PlanJob(const std::string& psDir, const std::string& name, const std::string& suffix,
            const std::string& program, Claims* claims) {
    Job job;
    job.psPath = PathInDirectory(psDir, name + suffix);
    job.jpgPath = PathInDirectory(psDir, name + ".jpg");
    job.before = StampOf(job.jpgPath);
    job.refusal = DeviceNameReason(job.psPath);
    if (job.refusal.empty()) {
        job.refusal = ImageRefusal(job.jpgPath, job.before, *claims);
    }
    if (job.refusal.empty()) {
        claims->AddImage(job.jpgPath, job.psPath, job.before);
        job.args = ConverterArguments(program, job.jpgPath, job.psPath);
        job.head =
            "Converting " + name + suffix + " to " + name + ".jpg ...\n" + CommandText(job.args);
    }
    return job;
}

void FinishJob(Job* job, bool captured, Claims* claims, StandardOutput* out, Ending* end) {
    ConverterOutcome outcome = job->process.outcome;
    if (!job->refusal.empty()) {
        ReportError(job->psPath, job->refusal + "; not converted");
        end->status = 2;
        return;
    }
    const int watched = EndWriteWatch(job->watch);
    job->watch = nullptr;
    const FileStamp after = StampOf(job->jpgPath);
    claims->AddImage(job->jpgPath, job->psPath, after);
    if (outcome.ok && !WrittenSince(job->before, after, watched)) {
        outcome.ok = false;
        outcome.error = "the converter wrote no image";
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
    }
}
