#include "band_pool.hpp"

namespace {

// Frames are a fraction of a millisecond apart: spin briefly before sleeping, so a worker wakes
// without a system call while the demo runs flat out, yet sleeps when the program idles.
template <class Ready>
void wait_until(const Ready &ready, const std::atomic<std::uint32_t> &word, std::uint32_t seen) {
    for (int spin = 0; spin < 4000; ++spin) {
        if (ready()) {
            return;
        }
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    while (!ready()) {
        word.wait(seen, std::memory_order_acquire);
        seen = word.load(std::memory_order_acquire);
    }
}

} // namespace

band_pool::band_pool(int bands) {
    for (int band = 1; band < bands; ++band) {
        workers_.emplace_back([this, band] { work(band); });
    }
}

band_pool::~band_pool() {
    stopping_.store(true, std::memory_order_release);
    generation_.fetch_add(1, std::memory_order_acq_rel);
    generation_.notify_all();
    for (std::thread &t : workers_) {
        t.join();
    }
}

void band_pool::run(void (*job)(const void *, int), const void *context) {
    job_ = job;
    context_ = context;
    pending_.store(int(workers_.size()), std::memory_order_relaxed);
    generation_.fetch_add(1, std::memory_order_release); // publishes the job to the workers
    generation_.notify_all();
    job(context, 0);
    for (int spin = 0;; ++spin) {
        const int left = pending_.load(std::memory_order_acquire);
        if (left == 0) {
            return;
        }
        if (spin > 4000) {
            pending_.wait(left, std::memory_order_acquire);
        }
    }
}

void band_pool::work(int band) {
    std::uint32_t seen = 0;
    for (;;) {
        wait_until([&] { return generation_.load(std::memory_order_acquire) != seen; }, generation_,
                   seen);
        seen = generation_.load(std::memory_order_acquire);
        if (stopping_.load(std::memory_order_acquire)) {
            return;
        }
        job_(context_, band);
        if (pending_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            pending_.notify_one();
        }
    }
}
