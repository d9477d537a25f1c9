// A recording stand-in for the map library: it keeps every map, control, marker and polyline in
// window.__bmap so the tests can read back what the page did.
(function () {
    var log = { maps: [], markers: [], polylines: [], controls: [] };
    window.__bmap = log;

    function Point(lng, lat) { this.lng = lng; this.lat = lat; }

    function Map(id) {
        this.container = id;
        this.center = null;
        this.zoom = null;
        this.controls = [];
        this.overlays = [];
        this.wheelZoom = false;
        this.centerHistory = [];
        this.listeners = {};
        log.maps.push(this);
    }
    Map.prototype.centerAndZoom = function (p, z) { this.center = [p.lng, p.lat]; this.zoom = z; };
    Map.prototype.setCenter = function (p) { this.center = [p.lng, p.lat]; this.centerHistory.push(this.center); };
    Map.prototype.addControl = function (c) { this.controls.push(c); };
    Map.prototype.addOverlay = function (o) { this.overlays.push(o); o.onMap = true; };
    Map.prototype.enableScrollWheelZoom = function () { this.wheelZoom = true; };
    Map.prototype.getZoom = function () { return this.zoom; };
    Map.prototype.removeOverlay = function (o) { this.overlays.splice(this.overlays.indexOf(o), 1); o.onMap = false; };
    Map.prototype.addEventListener = function (type, fn) { (this.listeners[type] = this.listeners[type] || []).push(fn); };
    // A click at (lng, lat) as the map library reports it.
    Map.prototype.click = function (lng, lat) {
        (this.listeners.click || []).forEach(function (fn) { fn({ type: "click", point: new Point(lng, lat) }); });
    };

    function Marker(p) { this.position = [p.lng, p.lat]; this.visible = true; log.markers.push(this); }
    Marker.prototype.setPosition = function (p) { this.position = [p.lng, p.lat]; };
    Marker.prototype.show = function () { this.visible = true; };
    Marker.prototype.hide = function () { this.visible = false; };

    function Polyline(points, options) {
        this.path = points.map(function (p) { return [p.lng, p.lat]; });
        this.options = options;
        log.polylines.push(this);
    }

    function NavigationControl(o) { this.kind = "navigation"; this.options = o; log.controls.push(this); }
    function ScaleControl(o) { this.kind = "scale"; this.options = o; log.controls.push(this); }
    function MapTypeControl(o) {
        this.kind = "maptype";
        this.types = (o && o.mapTypes || []).map(function (t) { return t.name; });
        log.controls.push(this);
    }

    window.BMap = {
        Point: Point, Map: Map, Marker: Marker, Polyline: Polyline,
        NavigationControl: NavigationControl, ScaleControl: ScaleControl, MapTypeControl: MapTypeControl
    };
    window.BMAP_NORMAL_MAP = { name: "normal" };
    window.BMAP_HYBRID_MAP = { name: "hybrid" };
    window.BMAP_SATELLITE_MAP = { name: "satellite" };
    window.BMAP_NAVIGATION_CONTROL_LARGE = "large";
    window.BMAP_NAVIGATION_CONTROL_SMALL = "small";
})();
