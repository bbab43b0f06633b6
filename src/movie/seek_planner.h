// How a movie reader comes by the frame asked for: read on, when the decoder stands
// right before it; decode forward from where the decoder is, when that costs less than
// a seek; or seek. What a frame read in a run and what a seek cost are learnt from the
// reads and seeks made, as the reader reports them; the planner itself touches no
// decoder and keeps no clock, so its decisions can be tried on any figures.
#pragma once

namespace movie {

class SeekPlanner {
 public:
  // A seek backs off at least this many frames before its target and decodes from
  // there: reading so many frames forward never costs more.
  static constexpr long kSeekBackoff = 16;

  enum class Way {
    ReadNext,  // the decoder reads the frame next
    Forward,   // decode forward to it
    Seek,      // seek to it
  };
  // The cheapest way to frame `target` from where the decoder stands.
  Way plan(long target) const;
  // Whether reading forward from the decoder's place to `target` costs less than a
  // seek. With a forward limit set, no farther than it; otherwise so far as a seek
  // backs off, and beyond that as far as the costs learnt say.
  bool forwardIsCheaper(long target) const;

  // The frame the decoder reads next; -1 when not known.
  long decoderNext() const { return decoderNext_; }
  void setDecoderNext(long frame) { decoderNext_ = frame; }
  // How many frames ahead forward decoding may serve: -1 learns it from the costs, 0
  // never decodes forward.
  void setForwardLimit(int frames);

  // The decoder's place changed other than by a read (a seek, a reopening): the next
  // read starts no run and is not timed.
  void breakRun() { inRun_ = false; }
  // Whether the decoder's last step was a successful read, so the next one is timed.
  bool inRun() const { return inRun_; }
  // A read took `ms`; `positionAfter` is the decoder's place after it (-1 when the read
  // failed). A read that follows a read teaches what one frame costs in a run.
  void frameRead(bool ok, long positionAfter, double ms);
  // A seek and the read after it took `ms`.
  void seekRead(double ms);
  // Frames `from` .. `target` were read forward in `ms`; `timed`: the decoder was in a
  // run when it started, so the time teaches what a frame costs.
  void forwardRead(long from, long target, double ms, bool timed);

  double frameMs() const { return frameMs_; }
  double seekMs() const { return seekMs_; }

 private:
  long decoderNext_ = 0;
  int forwardLimit_ = -1;
  double frameMs_ = 0;  // what one frame costs to read in a run of frames, learnt
  double seekMs_ = 0;   // what a seek and the read after it cost, learnt
  bool inRun_ = false;
};

}  // namespace movie
