#pragma once

#include <vector>

#include "app/store/ADOTable.h"
#include "app/store/DataLink.h"

// Presents one data set to the bound controls: it passes every event of the data set on to
// the controls attached to it and collects their pending changes for the data set.
class TDataSource : public TDataLink {
public:
  explicit TDataSource(TADOTable& dataSet);
  ~TDataSource() override;
  TDataSource(const TDataSource&) = delete;
  TDataSource& operator=(const TDataSource&) = delete;

  TADOTable& DataSet() const { return FDataSet; }

  // Links must be removed before they are destroyed.
  void AddLink(TDataLink* link);
  void RemoveLink(TDataLink* link);

  void DataEvent(TDataEvent event, int info) override;
  void UpdateData() override;

private:
  TADOTable& FDataSet;
  std::vector<TDataLink*> FLinks;
};
