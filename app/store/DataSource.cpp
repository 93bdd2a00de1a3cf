#include "app/store/DataSource.h"

TDataSource::TDataSource(TADOTable& dataSet) : FDataSet(dataSet) { FDataSet.AddLink(this); }

TDataSource::~TDataSource() { FDataSet.RemoveLink(this); }

void TDataSource::AddLink(TDataLink* link) { FLinks.push_back(link); }

void TDataSource::RemoveLink(TDataLink* link) { std::erase(FLinks, link); }

void TDataSource::DataEvent(TDataEvent event, int info) {
  const std::vector<TDataLink*> links = FLinks;
  for (TDataLink* link : links) link->DataEvent(event, info);
}

void TDataSource::UpdateData() {
  const std::vector<TDataLink*> links = FLinks;
  for (TDataLink* link : links) link->UpdateData();
}
