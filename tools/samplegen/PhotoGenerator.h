#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>

namespace tavlex::samplegen {

// Site photographs painted from nothing but a seed, so that the sample album carries no image
// of unknown origin and the same build gives the same bytes.
class PhotoGenerator {
  public:
    enum class Subject {
        SiteView,      // sky, hills, a crane and a building under construction
        ConcreteWall,  // cast concrete with form-tie holes, panel seams and stains
        RebarGrid,     // a reinforcement mat over formwork with tie wires
        Blackboard,    // a site blackboard with chalk entries beside a measuring staff
        Excavation,    // a trench in layered soil with shoring
    };

    explicit PhotoGenerator(QSize size = {640, 480}) : size_(size) {}

    // chalkLines: the entries on a blackboard (ignored by other subjects).
    QImage Make(Subject subject, std::uint32_t seed, const QStringList& chalkLines = {}) const;

  private:
    QSize size_;
};

}  // namespace tavlex::samplegen
